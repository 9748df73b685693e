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
using F = trovel::TBrowseInfoFlags;

Q_DECLARE_METATYPE(trovel::TBrowseInfoFlagSet)

namespace {

const QString CannotMake = QStringLiteral("New folder|The directory or file cannot be created.");

// A chooser whose browser is scripted by the test.
struct TChooser
{
    explicit TChooser(const QString &Locale = QStringLiteral("en_US"))
        : Dialog(nullptr, QLocale(Locale))
    {
        auto Scripted = std::make_unique<TScriptedBrowser>();
        Browser = Scripted.get();
        Dialog.SetBrowser(std::move(Scripted));
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

class TestVeskaFolderDialog final : public QObject
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

void TestVeskaFolderDialog::init()
{
    FTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(FTemp->isValid());
    FBase = FTemp->path();
}

void TestVeskaFolderDialog::confirmsSelectionAndStartsThereNextTime()
{
    TChooser C;
    C.Dialog.SetFlags({F::OnlyFileSystem, F::ShowPath});
    const QString Target = FBase + "/Ziel";
    QVERIFY(QDir().mkpath(Target));
    int Initialized = 0;
    QStringList Reported;
    C.Dialog.SetOnInitialized([&](TVeskaFolderDialog &, QWidget *) { ++Initialized; });
    C.Dialog.SetOnSelectionChanged([&](TVeskaFolderDialog &, QWidget *, const TBrowseItem &,
                                       const QString &Folder) { Reported.append(Folder); });
    QString Status;
    C.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        Wnd.Select(Target);
        Status = Wnd.StatusText;
        return true;
    });

    QVERIFY(C.Dialog.Execute());
    QCOMPARE(C.Dialog.Folder(), Target);
    QCOMPARE(Initialized, 1);
    QCOMPARE(Reported, QStringList{Target});
    QCOMPARE(Status, ShortenPath(Target, 50, u'/'));
    QCOMPARE(C.Browser->Infos.at(0).Title, QStringLiteral("Current folder:"));
    QCOMPARE(C.Browser->Infos.at(0).Flags, bifReturnOnlyFsDirs | bifStatusText);
    QCOMPARE(C.Browser->StartSelections.at(0), QString());

    C.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    QVERIFY(!C.Dialog.Execute());
    QCOMPARE(C.Browser->StartSelections.at(1), Target);
    QCOMPARE(C.Dialog.Folder(), Target);
}

void TestVeskaFolderDialog::cancelKeepsTheGivenFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("start"); // the selection the browser opens with
    QTest::newRow("existing folder is selected") << "<base>"
                                                 << "<base>";
    QTest::newRow("missing folder selects nothing") << "<base>/fehlt"
                                                    << "";
}

void TestVeskaFolderDialog::cancelKeepsTheGivenFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, start);
    folder.replace("<base>", FBase);
    start.replace("<base>", FBase);
    TChooser C;
    C.Dialog.SetFolder(folder);
    C.Browser->Passes.push_back([](TScriptedWindow &Wnd) {
        Wnd.Select(QStringLiteral("/"));
        return false;
    });
    QVERIFY(!C.Dialog.Execute());
    QCOMPARE(C.Browser->StartSelections, QStringList{start});
    QCOMPARE(C.Dialog.Folder(), folder);
}

void TestVeskaFolderDialog::makesNewFolderAndReopensThere_data()
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

void TestVeskaFolderDialog::makesNewFolderAndReopensThere()
{
    QFETCH(QString, name);
    QFETCH(QString, made);
    TChooser C;
    C.Dialog.SetFlags({F::OnlyFileSystem, F::ShowPath});
    C.Dialog.SetFolder(FBase);
    bool Closed = false;
    C.AddNewFolderPass(name, &Closed);
    C.Browser->Passes.push_back([](TScriptedWindow &) { return true; });

    QVERIFY(C.Dialog.Execute());
    const QString Expected = FBase + u'/' + made;
    QVERIFY(QFileInfo(Expected).isDir());
    QVERIFY(Closed);
    QCOMPARE(C.Dialog.Folder(), Expected);
    QCOMPARE(C.Browser->StartSelections, (QStringList{FBase, Expected}));
    QCOMPARE(C.Browser->InputCaptions, QStringList{QStringLiteral("New folder")});
    QVERIFY(C.Browser->Warnings.isEmpty());
    QCOMPARE(C.Browser->Infos.at(1).Title, C.Browser->Infos.at(0).Title);
    QCOMPARE(C.Browser->Infos.at(1).Flags, C.Browser->Infos.at(0).Flags);
}

void TestVeskaFolderDialog::failedNewFolderReopensAtOldSelection_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("name of a file") << "Datei";
    QTest::newRow("below a file") << "Datei/Neu";
}

void TestVeskaFolderDialog::failedNewFolderReopensAtOldSelection()
{
    QFETCH(QString, name);
    QFile File(FBase + "/Datei");
    QVERIFY(File.open(QIODevice::WriteOnly));
    File.close();
    TChooser C;
    C.Dialog.SetFolder(FBase);
    bool Closed = false;
    C.AddNewFolderPass(name, &Closed);
    C.Browser->Passes.push_back([](TScriptedWindow &) { return true; });

    QVERIFY(C.Dialog.Execute());
    QVERIFY(Closed);
    QCOMPARE(C.Browser->Warnings, QStringList{CannotMake});
    QCOMPARE(C.Browser->StartSelections, (QStringList{FBase, FBase}));
    QCOMPARE(C.Dialog.Folder(), FBase);
}

void TestVeskaFolderDialog::cancelAfterNewFolderStillReturnsIt()
{
    TChooser C;
    C.Dialog.SetFolder(FBase);
    C.AddNewFolderPass(QStringLiteral("Neu/"));
    C.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    QVERIFY(!C.Dialog.Execute());
    QCOMPARE(C.Dialog.Folder(), FBase + "/Neu");
}

void TestVeskaFolderDialog::emptyNameKeepsBrowserOpen()
{
    TChooser C;
    C.Dialog.SetFolder(FBase);
    bool Closed = true;
    C.AddNewFolderPass(QString(), &Closed);
    QVERIFY(!C.Dialog.Execute());
    QVERIFY(!Closed);
    QCOMPARE(C.Browser->Infos.size(), 1);
    QCOMPARE(QDir(FBase).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestVeskaFolderDialog::nameOnlySelectionMakesNoFolder()
{
    // An item outside the file system, shown by name, leaves its name as the
    // working path; a new folder must not land below the current directory.
    const QString Previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(FBase));
    TChooser C;
    C.Browser->Answers.append(QStringLiteral("Neu"));
    C.Browser->Passes.push_back([](TScriptedWindow &Wnd) {
        Wnd.Select(TBrowseItem{QString(), QStringLiteral("Netzwerk")});
        Wnd.NewFolderButton()->click();
        return false;
    });
    C.Browser->Passes.push_back([](TScriptedWindow &) { return true; });

    const bool Confirmed = C.Dialog.Execute();
    QDir::setCurrent(Previous);
    QVERIFY(Confirmed);
    QCOMPARE(C.Browser->Warnings, QStringList{CannotMake});
    QVERIFY(!QFileInfo::exists(FBase + "/Netzwerk"));
    QVERIFY(C.Dialog.Folder().isEmpty());
}

void TestVeskaFolderDialog::enablesOkAndButtonByPath_data()
{
    QTest::addColumn<TBrowseInfoFlagSet>("flags");
    QTest::addColumn<bool>("hasPath");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<bool>("buttonEnabled");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("reported");
    QTest::newRow("folder") << TBrowseInfoFlagSet{F::OnlyFileSystem} << true << true << true << ""
                            << "<base>";
    QTest::newRow("folder with path shown")
        << TBrowseInfoFlagSet{F::OnlyFileSystem, F::ShowPath} << true << true << true << "<base>"
        << "<base>";
    QTest::newRow("item without path")
        << TBrowseInfoFlagSet{F::OnlyFileSystem} << false << false << false << ""
        << "";
    QTest::newRow("item without path, shown by name")
        << TBrowseInfoFlagSet{F::OnlyFileSystem, F::ShowPath} << false << true << true << "Netzwerk"
        << "Netzwerk";
    QTest::newRow("item without path, any item allowed")
        << TBrowseInfoFlagSet{} << false << true << false << ""
        << "";
}

void TestVeskaFolderDialog::enablesOkAndButtonByPath()
{
    QFETCH(TBrowseInfoFlagSet, flags);
    QFETCH(bool, hasPath);
    QFETCH(bool, okEnabled);
    QFETCH(bool, buttonEnabled);
    QFETCH(QString, status);
    QFETCH(QString, reported);
    status.replace("<base>", FBase);
    reported.replace("<base>", FBase);

    TChooser C;
    C.Dialog.SetFlags(flags);
    QString Reported;
    C.Dialog.SetOnSelectionChanged([&](TVeskaFolderDialog &, QWidget *, const TBrowseItem &,
                                       const QString &Folder) { Reported = Folder; });
    bool Ok = false;
    bool Button = false;
    QString Status;
    C.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        Wnd.Select(hasPath ? TBrowseItem::FromPath(FBase)
                           : TBrowseItem{QString(), QStringLiteral("Netzwerk")});
        Ok = Wnd.OkEnabled;
        Button = Wnd.NewFolderButton()->isEnabled();
        Status = Wnd.StatusText;
        return false;
    });
    C.Dialog.Execute();
    QCOMPARE(Ok, okEnabled);
    QCOMPARE(Button, buttonEnabled);
    QCOMPARE(Status, status);
    QCOMPARE(Reported, reported);
}

void TestVeskaFolderDialog::showsHomeAsTildeAndFullPathAsToolTip()
{
    TFakeHome Home;
    QVERIFY(Home.IsValid());
    const QString Target = Home.Folder("Spiele");
    TChooser C;
    QStringList Shown;
    C.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        Wnd.Select(Target);
        Shown << Wnd.StatusText << Wnd.StatusToolTip;
        Wnd.Select(FBase);
        Shown << Wnd.StatusText << Wnd.StatusToolTip;
        return false;
    });
    C.Dialog.Execute();
    QCOMPARE(Shown, (QStringList{"~/Spiele", Target, ShortenPath(FBase, 50, u'/'), FBase}));
}

void TestVeskaFolderDialog::newFolderPropertiesActOnOpenBrowser()
{
    TChooser C;
    C.Dialog.SetFlags({F::OnlyFileSystem});
    C.Dialog.SetFolder(FBase);
    C.Dialog.SetNewFolderVisible(false);
    C.Dialog.SetNewFolderEnabled(false);
    QList<bool> Hidden;
    QList<bool> Enabled;
    C.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        QPushButton *Button = Wnd.NewFolderButton();
        Hidden << Button->isHidden();
        Enabled << Button->isEnabled();
        C.Dialog.SetNewFolderVisible(true);
        Hidden << Button->isHidden();
        C.Dialog.SetNewFolderEnabled(true);
        Enabled << Button->isEnabled();
        Wnd.Select(TBrowseItem{QString(), QStringLiteral("Netzwerk")});
        Enabled << Button->isEnabled();
        C.Dialog.SetNewFolderEnabled(true);
        Enabled << Button->isEnabled();
        C.Dialog.SetNewFolderVisible(false);
        Hidden << Button->isHidden();
        return false;
    });
    C.Dialog.Execute();
    QCOMPARE(Hidden, (QList<bool>{true, false, true}));
    QCOMPARE(Enabled, (QList<bool>{false, true, false, false}));
}

void TestVeskaFolderDialog::placesButtonAndCentresBrowser()
{
    TChooser C(QStringLiteral("de_DE"));
    QRect Button;
    QString ButtonText;
    QRect Frame;
    int ClientHeight = 0;
    C.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        Button = Wnd.NewFolderButton()->geometry();
        ButtonText = Wnd.NewFolderButton()->text();
        Frame = Wnd.frameGeometry();
        ClientHeight = Wnd.rect().height();
        return false;
    });
    C.Dialog.Execute();

    QCOMPARE(ButtonText, QStringLiteral("Neuer Ordner"));
    const QRect Screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(Frame.center().x() - Screen.center().x()) <= 1);
    QVERIFY(qAbs(Frame.center().y() - Screen.center().y()) <= 1);
    if (qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()) != 96)
        QSKIP("the button's place is checked at 96 pixels per inch");
    const int TextWidth = QFontMetrics(QApplication::font()).horizontalAdvance(ButtonText);
    QCOMPARE(Button, QRect(12, ClientHeight - 36, qMax(75, TextWidth + 12), 23));
}

void TestVeskaFolderDialog::picksCaptionForSystemLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("lines"); // empty: the default label list
    QTest::addColumn<QString>("caption");
    const QStringList Default;
    QTest::newRow("German") << "de_DE" << Default << "Ausgewählter Ordner:";
    QTest::newRow("Swiss German") << "de_CH" << Default << "Ausgewählter Ordner:";
    QTest::newRow("Russian, not listed") << "ru_RU" << Default << "Current folder:";
    QTest::newRow("Polish, no colon") << "pl_PL" << Default << "Bieżący folder";
    QTest::newRow("empty list") << "de_DE" << QStringList{""} << "";
    QTest::newRow("neither Default nor language")
        << "de_DE" << QStringList{"040C=Dossier:", "0409=Folder:"} << "Dossier:";
    QTest::newRow("language before Default")
        << "de_DE" << QStringList{"Default=Standard", "0407=Deutsch"} << "Deutsch";
    QTest::newRow("key case ignored")
        << "fr_FR" << QStringList{"Default=gross", "040c=klein"} << "klein";
    QTest::newRow("first of two") << "de_DE" << QStringList{"0407=eins", "0407=zwei"} << "eins";
}

void TestVeskaFolderDialog::picksCaptionForSystemLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, lines);
    QFETCH(QString, caption);
    TChooser C(locale);
    if (lines == QStringList{""})
        lines.clear();
    else if (lines.isEmpty())
        lines = C.Dialog.LabelCaptions().Lines();
    C.Dialog.SetLabelCaptions(lines);
    C.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    C.Dialog.Execute();
    QCOMPARE(C.Browser->Infos.at(0).Title, caption);
    QCOMPARE(C.Dialog.PickCaption(C.Dialog.LabelCaptions()), caption);
}

void TestVeskaFolderDialog::titleAndMessageFollowSystemLanguage_data()
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

void TestVeskaFolderDialog::titleAndMessageFollowSystemLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, title);
    QFETCH(QString, warning);
    QFile File(FBase + "/Datei");
    QVERIFY(File.open(QIODevice::WriteOnly));
    File.close();
    TChooser C(locale);
    C.Dialog.SetFolder(FBase);
    C.AddNewFolderPass(QStringLiteral("Datei"));
    C.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    C.Dialog.Execute();
    QCOMPARE(C.Browser->Infos.at(0).WindowTitle, title);
    QCOMPARE(C.Browser->Warnings, QStringList{warning});
}

void TestVeskaFolderDialog::assigningCaptionsNotifiesOnlyOnChange()
{
    TChooser C;
    QSignalSpy LabelChanges(&C.Dialog.LabelCaptions(), &TCaptionList::Changed);
    QSignalSpy ButtonChanges(&C.Dialog.NewFolderCaptions(), &TCaptionList::Changed);
    C.Dialog.SetLabelCaptions(C.Dialog.LabelCaptions().Lines());
    C.Dialog.SetNewFolderCaptions(C.Dialog.NewFolderCaptions().Lines());
    QCOMPARE(LabelChanges.count(), 0);
    QCOMPARE(ButtonChanges.count(), 0);

    C.Dialog.SetLabelCaptions({QStringLiteral("Default=Ziel:")});
    QCOMPARE(LabelChanges.count(), 1);
    QRect Before;
    QRect After;
    QString Text;
    C.Browser->Passes.push_back([&](TScriptedWindow &Wnd) {
        Before = Wnd.NewFolderButton()->geometry();
        C.Dialog.SetNewFolderCaptions({QStringLiteral("Default=Ein viel längerer Knopftext")});
        After = Wnd.NewFolderButton()->geometry();
        Text = Wnd.NewFolderButton()->text();
        return false;
    });
    C.Dialog.Execute();
    QCOMPARE(ButtonChanges.count(), 1);
    QCOMPARE(C.Browser->Infos.at(0).Title, QStringLiteral("Ziel:"));
    QCOMPARE(Text, QStringLiteral("Ein viel längerer Knopftext"));
    QCOMPARE(After, Before);

    // A change through the list itself picks the caption again, too.
    C.Dialog.LabelCaptions().Add(QStringLiteral("0409=Hier:"));
    C.Browser->Passes.push_back([](TScriptedWindow &) { return false; });
    C.Dialog.Execute();
    QCOMPARE(C.Browser->Infos.at(1).Title, QStringLiteral("Hier:"));
}

void TestVeskaFolderDialog::versionIsFixed()
{
    TChooser C;
    C.Dialog.SetVersion(QStringLiteral("9.9"));
    QCOMPARE(C.Dialog.Version(), QStringLiteral("3.00.00.00"));
}

void TestVeskaFolderDialog::convertsFlagSetsToBrowserFlags_data()
{
    using F = TBrowseInfoFlags;
    QTest::addColumn<TBrowseInfoFlagSet>("flags");
    QTest::addColumn<unsigned>("shellFlags");
    QTest::addColumn<int>("bits");
    QTest::newRow("empty") << TBrowseInfoFlagSet{} << 0u << 0;
    QTest::newRow("default") << TBrowseInfoFlagSet{F::ShowPath} << 0x0004u << 0x20;
    QTest::newRow("main window's")
        << TBrowseInfoFlagSet{F::OnlyFileSystem, F::ShowPath} << 0x0005u << 0x30;
    QTest::newRow("computers") << TBrowseInfoFlagSet{F::OnlyComputers} << 0x1000u << 0x01;
    QTest::newRow("domains and ancestors")
        << TBrowseInfoFlagSet{F::OnlyDomains, F::OnlyAncestors} << 0x000Au << 0x0C;
    QTest::newRow("all") << TBrowseInfoFlagSet{F::OnlyComputers, F::OnlyPrinters,   F::OnlyDomains,
                                               F::OnlyAncestors, F::OnlyFileSystem, F::ShowPath}
                         << 0x300Fu << 0x3F;
}

void TestVeskaFolderDialog::convertsFlagSetsToBrowserFlags()
{
    QFETCH(TBrowseInfoFlagSet, flags);
    QFETCH(unsigned, shellFlags);
    QFETCH(int, bits);
    QCOMPARE(ShellFlags(flags), shellFlags);
    QCOMPARE(int(flags.Bits()), bits);
}

QTEST_MAIN(TestVeskaFolderDialog)
#include "VeskaFolderDialogTest.moc"
