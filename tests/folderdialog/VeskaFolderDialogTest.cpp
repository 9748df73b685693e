#include "VeskaFolderDialog.h"
#include "FakeHome.h"
#include "ScriptedBrowser.h"
#include "ShortenPath.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace trovel;
using trovel::testing::TFakeHome;
using trovel::testing::TScriptedBrowser;
using trovel::testing::TScriptedWindow;
using TFlags = trovel::TBrowseInfoFlags;

Q_DECLARE_METATYPE(trovel::TBrowseInfoFlagSet)

namespace {

const QString CannotMake = QStringLiteral("New folder|The directory or file cannot be created.");

// A chooser whose browser is scripted by the test.
struct TChooser
{
    explicit TChooser(const QString &Locale = QStringLiteral("en_US"))
        : Dialog(nullptr, QLocale(Locale))
    {
        auto scripted = std::make_unique<TScriptedBrowser>();
        Browser = scripted.get();
        Dialog.SetBrowser(std::move(scripted));
    }

    // A pass that makes the folder Name through the button.
    void AddNewFolderPass(const QString &Name, bool *Closed = nullptr)
    {
        Browser->Answers.append(Name);
        Browser->Passes.push_back([Closed](TScriptedWindow &Wnd) {
            Wnd.NewFolderButton()->click();
            if (Closed)
                *Closed = Wnd.Cancelled;
            return false;
        });
    }

    TVeskaFolderDialog Dialog;
    TScriptedBrowser *Browser;
};

} // namespace

class TVeskaFolderDialogTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void confirmsSelectionAndStartsThereNextTime();
    void cancelKeepsTheGivenFolder_data();
    void cancelKeepsTheGivenFolder();
    void makesNewFolderAndReopensThere_data();
    void makesNewFolderAndReopensThere();
    void failedNewFolderReopensAtOldSelection_data();
    void failedNewFolderReopensAtOldSelection();
    void cancelAfterNewFolderStillReturnsIt();
    void emptyNameKeepsBrowserOpen();
    void nameOnlySelectionMakesNoFolder();
    void enablesOkAndButtonByPath_data();
    void enablesOkAndButtonByPath();
    void showsHomeAsTildeAndFullPathAsToolTip();
    void newFolderPropertiesActOnOpenBrowser();
    void placesButtonAndCentresBrowser();
    void picksCaptionForSystemLanguage_data();
    void picksCaptionForSystemLanguage();
    void titleAndMessageFollowSystemLanguage_data();
    void titleAndMessageFollowSystemLanguage();
    void assigningCaptionsNotifiesOnlyOnChange();
    void versionIsFixed();
    void convertsFlagSetsToBrowserFlags_data();
    void convertsFlagSetsToBrowserFlags();

private:
    std::unique_ptr<QTemporaryDir> FTemp;
    QString FBase;
};

void TVeskaFolderDialogTest::init()
{
    FTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(FTemp->isValid());
    FBase = FTemp->path();
}

void TVeskaFolderDialogTest::confirmsSelectionAndStartsThereNextTime()
{
    TChooser c;
    c.Dialog.SetFlags({TFlags::OnlyFileSystem, TFlags::ShowPath});
    const QString target = FBase + "/Ziel";
    QVERIFY(QDir().mkpath(target));
    int initialized = 0;
    QStringList reported;
    c.Dialog.SetOnInitialized([&](TVeskaFolderDialog &, QWidget *) { ++initialized; });
    c.Dialog.SetOnSelectionChanged([&](TVeskaFolderDialog &, QWidget *, const TBrowseItem &,
                                       const QString &Folder) { reported.append(Folder); });
    QString status;
    c.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        Wnd.Select(target);
        status = Wnd.StatusText;
        return true;
    });

    QVERIFY(c.Dialog.Execute());
    QCOMPARE(c.Dialog.Folder(), target);
    QCOMPARE(initialized, 1);
    QCOMPARE(reported, QStringList{target});
    QCOMPARE(status, StatusPath(target, 50));
    QCOMPARE(c.Browser->Infos.at(0).Title, QStringLiteral("Current folder:"));
    QCOMPARE(c.Browser->Infos.at(0).Flags, bifReturnOnlyFsDirs | bifStatusText);
    QCOMPARE(c.Browser->StartSelections.at(0), QString());

    c.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    QVERIFY(!c.Dialog.Execute());
    QCOMPARE(c.Browser->StartSelections.at(1), target);
    QCOMPARE(c.Dialog.Folder(), target);
}

void TVeskaFolderDialogTest::cancelKeepsTheGivenFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("start"); // the selection the browser opens with
    QTest::newRow("existing folder is selected") << "<base>"
                                                 << "<base>";
    QTest::newRow("missing folder selects nothing") << "<base>/fehlt"
                                                    << "";
}

void TVeskaFolderDialogTest::cancelKeepsTheGivenFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, start);
    folder.replace("<base>", FBase);
    start.replace("<base>", FBase);
    TChooser c;
    c.Dialog.SetFolder(folder);
    c.Browser->Passes.push_back([](TScriptedWindow &Wnd) {
        Wnd.Select(QStringLiteral("/"));
        return false;
    });
    QVERIFY(!c.Dialog.Execute());
    QCOMPARE(c.Browser->StartSelections, QStringList{start});
    QCOMPARE(c.Dialog.Folder(), folder);
}

void TVeskaFolderDialogTest::makesNewFolderAndReopensThere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("made");
    QTest::newRow("plain name") << "Neu"
                                << "Neu";
    QTest::newRow("leading separator") << "/Neu"
                                       << "Neu";
    QTest::newRow("two levels") << "a/b"
                                << "a/b";
    QTest::newRow("blanks kept") << " Neuer Ordner (2) "
                                 << " Neuer Ordner (2) ";
    QTest::newRow("trailing separator") << "Neu/"
                                        << "Neu";
}

void TVeskaFolderDialogTest::makesNewFolderAndReopensThere()
{
    QFETCH(QString, name);
    QFETCH(QString, made);
    TChooser c;
    c.Dialog.SetFlags({TFlags::OnlyFileSystem, TFlags::ShowPath});
    c.Dialog.SetFolder(FBase);
    bool closed = false;
    c.AddNewFolderPass(name, &closed);
    c.Browser->Passes.push_back([](TScriptedWindow &) { return true; });

    QVERIFY(c.Dialog.Execute());
    const QString expected = FBase + u'/' + made;
    QVERIFY(QFileInfo(expected).isDir());
    QVERIFY(closed);
    QCOMPARE(c.Dialog.Folder(), expected);
    QCOMPARE(c.Browser->StartSelections, (QStringList{FBase, expected}));
    QCOMPARE(c.Browser->InputCaptions, QStringList{QStringLiteral("New folder")});
    QVERIFY(c.Browser->Warnings.isEmpty());
    QCOMPARE(c.Browser->Infos.at(1).Title, c.Browser->Infos.at(0).Title);
    QCOMPARE(c.Browser->Infos.at(1).Flags, c.Browser->Infos.at(0).Flags);
}

void TVeskaFolderDialogTest::failedNewFolderReopensAtOldSelection_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("name of a file") << "Datei";
    QTest::newRow("below a file") << "Datei/Neu";
}

void TVeskaFolderDialogTest::failedNewFolderReopensAtOldSelection()
{
    QFETCH(QString, name);
    QFile file(FBase + "/Datei");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TChooser c;
    c.Dialog.SetFolder(FBase);
    bool closed = false;
    c.AddNewFolderPass(name, &closed);
    c.Browser->Passes.push_back([](TScriptedWindow &) { return true; });

    QVERIFY(c.Dialog.Execute());
    QVERIFY(closed);
    QCOMPARE(c.Browser->Warnings, QStringList{CannotMake});
    QCOMPARE(c.Browser->StartSelections, (QStringList{FBase, FBase}));
    QCOMPARE(c.Dialog.Folder(), FBase);
}

void TVeskaFolderDialogTest::cancelAfterNewFolderStillReturnsIt()
{
    TChooser c;
    c.Dialog.SetFolder(FBase);
    c.AddNewFolderPass(QStringLiteral("Neu/"));
    c.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    QVERIFY(!c.Dialog.Execute());
    QCOMPARE(c.Dialog.Folder(), FBase + "/Neu");
}

void TVeskaFolderDialogTest::emptyNameKeepsBrowserOpen()
{
    TChooser c;
    c.Dialog.SetFolder(FBase);
    bool closed = true;
    c.AddNewFolderPass(QString(), &closed);
    QVERIFY(!c.Dialog.Execute());
    QVERIFY(!closed);
    QCOMPARE(c.Browser->Infos.size(), 1);
    QCOMPARE(QDir(FBase).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TVeskaFolderDialogTest::nameOnlySelectionMakesNoFolder()
{
    // An item outside the file system, shown by name, leaves its name as the
    // working path; a new folder must not land below the current directory.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(FBase));
    TChooser c;
    c.Browser->Answers.append(QStringLiteral("Neu"));
    c.Browser->Passes.push_back([](TScriptedWindow &Wnd) {
        Wnd.Select(TBrowseItem{QString(), QStringLiteral("Netzwerk")});
        Wnd.NewFolderButton()->click();
        return false;
    });
    c.Browser->Passes.push_back([](TScriptedWindow &) { return true; });

    const bool confirmed = c.Dialog.Execute();
    QDir::setCurrent(previous);
    QVERIFY(confirmed);
    QCOMPARE(c.Browser->Warnings, QStringList{CannotMake});
    QVERIFY(!QFileInfo::exists(FBase + "/Netzwerk"));
    QVERIFY(c.Dialog.Folder().isEmpty());
}

void TVeskaFolderDialogTest::enablesOkAndButtonByPath_data()
{
    QTest::addColumn<TBrowseInfoFlagSet>("flags");
    QTest::addColumn<bool>("hasPath");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<bool>("buttonEnabled");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("reported");
    QTest::newRow("folder") << TBrowseInfoFlagSet{TFlags::OnlyFileSystem} << true << true << true
                            << ""
                            << "<base>";
    QTest::newRow("folder with path shown")
        << TBrowseInfoFlagSet{TFlags::OnlyFileSystem, TFlags::ShowPath} << true << true << true
        << "<base>"
        << "<base>";
    QTest::newRow("item without path")
        << TBrowseInfoFlagSet{TFlags::OnlyFileSystem} << false << false << false << ""
        << "";
    QTest::newRow("item without path, shown by name")
        << TBrowseInfoFlagSet{TFlags::OnlyFileSystem, TFlags::ShowPath} << false << true << true
        << "Netzwerk"
        << "Netzwerk";
    QTest::newRow("item without path, any item allowed")
        << TBrowseInfoFlagSet{} << false << true << false << ""
        << "";
}

void TVeskaFolderDialogTest::enablesOkAndButtonByPath()
{
    QFETCH(TBrowseInfoFlagSet, flags);
    QFETCH(bool, hasPath);
    QFETCH(bool, okEnabled);
    QFETCH(bool, buttonEnabled);
    QFETCH(QString, status);
    QFETCH(QString, reported);
    status.replace("<base>", StatusPath(FBase, 50));
    reported.replace("<base>", FBase);

    TChooser c;
    c.Dialog.SetFlags(flags);
    QString reportedFolder;
    c.Dialog.SetOnSelectionChanged([&](TVeskaFolderDialog &, QWidget *, const TBrowseItem &,
                                       const QString &Folder) { reportedFolder = Folder; });
    bool ok = false;
    bool button = false;
    QString shown;
    c.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        Wnd.Select(hasPath ? TBrowseItem::FromPath(FBase)
                           : TBrowseItem{QString(), QStringLiteral("Netzwerk")});
        ok = Wnd.OkEnabled;
        button = Wnd.NewFolderButton()->isEnabled();
        shown = Wnd.StatusText;
        return false;
    });
    c.Dialog.Execute();
    QCOMPARE(ok, okEnabled);
    QCOMPARE(button, buttonEnabled);
    QCOMPARE(shown, status);
    QCOMPARE(reportedFolder, reported);
}

void TVeskaFolderDialogTest::showsHomeAsTildeAndFullPathAsToolTip()
{
#ifdef Q_OS_WIN
    QSKIP("Windows shows no \"~\"");
#endif
    TFakeHome home;
    QVERIFY(home.IsValid());
    const QString target = home.Folder("Spiele");
    TChooser c;
    QStringList shown;
    c.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        Wnd.Select(target);
        shown << Wnd.StatusText << Wnd.StatusToolTip;
        Wnd.Select(FBase);
        shown << Wnd.StatusText << Wnd.StatusToolTip;
        return false;
    });
    c.Dialog.Execute();
    QCOMPARE(shown, (QStringList{"~/Spiele", target, ShortenPath(FBase, 50, u'/'), FBase}));
}

void TVeskaFolderDialogTest::newFolderPropertiesActOnOpenBrowser()
{
    TChooser c;
    c.Dialog.SetFlags({TFlags::OnlyFileSystem});
    c.Dialog.SetFolder(FBase);
    c.Dialog.SetNewFolderVisible(false);
    c.Dialog.SetNewFolderEnabled(false);
    QList<bool> hidden;
    QList<bool> enabled;
    c.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        QPushButton *button = Wnd.NewFolderButton();
        hidden << button->isHidden();
        enabled << button->isEnabled();
        c.Dialog.SetNewFolderVisible(true);
        hidden << button->isHidden();
        c.Dialog.SetNewFolderEnabled(true);
        enabled << button->isEnabled();
        Wnd.Select(TBrowseItem{QString(), QStringLiteral("Netzwerk")});
        enabled << button->isEnabled();
        c.Dialog.SetNewFolderEnabled(true);
        enabled << button->isEnabled();
        c.Dialog.SetNewFolderVisible(false);
        hidden << button->isHidden();
        return false;
    });
    c.Dialog.Execute();
    QCOMPARE(hidden, (QList<bool>{true, false, true}));
    QCOMPARE(enabled, (QList<bool>{false, true, false, false}));
}

void TVeskaFolderDialogTest::placesButtonAndCentresBrowser()
{
    TChooser c(QStringLiteral("de_DE"));
    QRect button;
    QString buttonText;
    QRect frame;
    int clientHeight = 0;
    c.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        button = Wnd.NewFolderButton()->geometry();
        buttonText = Wnd.NewFolderButton()->text();
        frame = Wnd.frameGeometry();
        clientHeight = Wnd.rect().height();
        return false;
    });
    c.Dialog.Execute();

    QCOMPARE(buttonText, QStringLiteral("Neuer Ordner"));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= 1);
    if (qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()) != 96)
        QSKIP("the button's place is checked at 96 pixels per inch");
    const int textWidth = QFontMetrics(QApplication::font()).horizontalAdvance(buttonText);
    QCOMPARE(button, QRect(12, clientHeight - 36, qMax(75, textWidth + 12), 23));
}

void TVeskaFolderDialogTest::picksCaptionForSystemLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("lines"); // empty: the default label list
    QTest::addColumn<QString>("caption");
    const QStringList defaultLabels;
    QTest::newRow("German") << "de_DE" << defaultLabels << "Ausgewählter Ordner:";
    QTest::newRow("Swiss German") << "de_CH" << defaultLabels << "Ausgewählter Ordner:";
    QTest::newRow("Russian, not listed") << "ru_RU" << defaultLabels << "Current folder:";
    QTest::newRow("Polish, no colon") << "pl_PL" << defaultLabels << "Bieżący folder";
    QTest::newRow("empty list") << "de_DE" << QStringList{""} << "";
    QTest::newRow("neither defaultLabels nor language")
        << "de_DE" << QStringList{"040C=Dossier:", "0409=Folder:"} << "Dossier:";
    QTest::newRow("language before defaultLabels")
        << "de_DE" << QStringList{"Default=Standard", "0407=Deutsch"} << "Deutsch";
    QTest::newRow("key case ignored")
        << "fr_FR" << QStringList{"Default=gross", "040c=klein"} << "klein";
    QTest::newRow("first of two") << "de_DE" << QStringList{"0407=eins", "0407=zwei"} << "eins";
}

void TVeskaFolderDialogTest::picksCaptionForSystemLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, lines);
    QFETCH(QString, caption);
    TChooser c(locale);
    if (lines == QStringList{""})
        lines.clear();
    else if (lines.isEmpty())
        lines = c.Dialog.LabelCaptions().Lines();
    c.Dialog.SetLabelCaptions(lines);
    c.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    c.Dialog.Execute();
    QCOMPARE(c.Browser->Infos.at(0).Title, caption);
    QCOMPARE(c.Dialog.PickCaption(c.Dialog.LabelCaptions()), caption);
}

void TVeskaFolderDialogTest::titleAndMessageFollowSystemLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("warning"); // caption|text
    QTest::newRow("German") << "de_DE"
                            << "Ordner suchen"
                            << "Neuer Ordner|Das Verzeichnis oder die Datei kann nicht erstellt "
                               "werden.";
    QTest::newRow("Brazilian Portuguese")
        << "pt_BR"
        << "Procurar pasta"
        << "Nova Pasta|Não é possível criar o diretório ou o arquivo.";
    QTest::newRow("Russian, not listed") << "ru_RU"
                                         << "Browse for Folder" << CannotMake;
}

void TVeskaFolderDialogTest::titleAndMessageFollowSystemLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, title);
    QFETCH(QString, warning);
    QFile file(FBase + "/Datei");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TChooser c(locale);
    c.Dialog.SetFolder(FBase);
    c.AddNewFolderPass(QStringLiteral("Datei"));
    c.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    c.Dialog.Execute();
    QCOMPARE(c.Browser->Infos.at(0).WindowTitle, title);
    QCOMPARE(c.Browser->Warnings, QStringList{warning});
}

void TVeskaFolderDialogTest::assigningCaptionsNotifiesOnlyOnChange()
{
    TChooser c;
    QSignalSpy labelChanges(&c.Dialog.LabelCaptions(), &TCaptionList::Changed);
    QSignalSpy buttonChanges(&c.Dialog.NewFolderCaptions(), &TCaptionList::Changed);
    c.Dialog.SetLabelCaptions(c.Dialog.LabelCaptions().Lines());
    c.Dialog.SetNewFolderCaptions(c.Dialog.NewFolderCaptions().Lines());
    QCOMPARE(labelChanges.count(), 0);
    QCOMPARE(buttonChanges.count(), 0);

    c.Dialog.SetLabelCaptions({QStringLiteral("Default=Ziel:")});
    QCOMPARE(labelChanges.count(), 1);
    QRect before;
    QRect after;
    QString text;
    c.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        before = Wnd.NewFolderButton()->geometry();
        c.Dialog.SetNewFolderCaptions({QStringLiteral("Default=Ein viel längerer Knopftext")});
        after = Wnd.NewFolderButton()->geometry();
        text = Wnd.NewFolderButton()->text();
        return false;
    });
    c.Dialog.Execute();
    QCOMPARE(buttonChanges.count(), 1);
    QCOMPARE(c.Browser->Infos.at(0).Title, QStringLiteral("Ziel:"));
    QCOMPARE(text, QStringLiteral("Ein viel längerer Knopftext"));
    QCOMPARE(after, before);

    // A change through the list itself picks the caption again, too.
    c.Dialog.LabelCaptions().Add(QStringLiteral("0409=Hier:"));
    c.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    c.Dialog.Execute();
    QCOMPARE(c.Browser->Infos.at(1).Title, QStringLiteral("Hier:"));
}

void TVeskaFolderDialogTest::versionIsFixed()
{
    TChooser c;
    c.Dialog.SetVersion(QStringLiteral("9.9"));
    QCOMPARE(c.Dialog.Version(), QStringLiteral("3.00.00.00"));
}

void TVeskaFolderDialogTest::convertsFlagSetsToBrowserFlags_data()
{
    QTest::addColumn<TBrowseInfoFlagSet>("flags");
    QTest::addColumn<unsigned>("shellFlags");
    QTest::addColumn<int>("bits");
    QTest::newRow("empty") << TBrowseInfoFlagSet{} << 0u << 0;
    QTest::newRow("default") << TBrowseInfoFlagSet{TFlags::ShowPath} << 0x0004u << 0x20;
    QTest::newRow("main window's")
        << TBrowseInfoFlagSet{TFlags::OnlyFileSystem, TFlags::ShowPath} << 0x0005u << 0x30;
    QTest::newRow("computers") << TBrowseInfoFlagSet{TFlags::OnlyComputers} << 0x1000u << 0x01;
    QTest::newRow("domains and ancestors")
        << TBrowseInfoFlagSet{TFlags::OnlyDomains, TFlags::OnlyAncestors} << 0x000Au << 0x0C;
    QTest::newRow("all") << TBrowseInfoFlagSet{TFlags::OnlyComputers,  TFlags::OnlyPrinters,
                                               TFlags::OnlyDomains,    TFlags::OnlyAncestors,
                                               TFlags::OnlyFileSystem, TFlags::ShowPath}
                         << 0x300Fu << 0x3F;
}

void TVeskaFolderDialogTest::convertsFlagSetsToBrowserFlags()
{
    QFETCH(TBrowseInfoFlagSet, flags);
    QFETCH(unsigned, shellFlags);
    QFETCH(int, bits);
    QCOMPARE(ShellFlags(flags), shellFlags);
    QCOMPARE(int(flags.Bits()), bits);
}

QTEST_MAIN(TVeskaFolderDialogTest)
#include "VeskaFolderDialogTest.moc"
