#include "BrowserDriver.h"
#include "FakeHome.h"
#include "ModalDriver.h"
#include "QtTranslations.h"
#include "VeskaFolderDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace trovel;
using trovel::testing::TBrowserDriver;
using trovel::testing::TFakeHome;
using trovel::testing::TModalDriver;
using TFlags = trovel::TBrowseInfoFlags;

// The real browser, answered from the event loop. On a real display it also
// saves a picture of the German browser showing a folder it has just made;
// from the repository (the suppressions silence a D-Bus buffer of the X11
// plugin):
//   export TROVEL_FOLDER_CHOOSER_PNG=docs/folder-chooser.png
//   export LSAN_OPTIONS=suppressions=tests/folderdialog/lsan-xcb.supp
//   export HOME=/tmp/anna TMPDIR=/tmp/anna/Spiele
//   xvfb-run -a build-test/tests/folderdialog/FolderBrowserDialogTest
// HOME is a sample user's home with a few folders (Desktop, Dokumente,
// Spiele, ...), so that the tree shows none of the machine's own folders;
// XDG_RUNTIME_DIR must be set, or Qt makes a runtime folder in TMPDIR.
class TFolderBrowserDialogTest final : public QObject
{
    Q_OBJECT

private slots:
    void makesFolderThroughButtonAndReturnsIt();
    void opensAtHomeAmongThePlaces();
    void showsStartFolderAndFollowsResizing();
    void cancelReturnsFalseWithoutStatusLine();
    void rootFolderIsTheOnlyTopItem();
    void opensScrolledLeftAtDeepFolder();
    void qtTranslationsOnlyWhereChooserHasCaptions_data();
    void qtTranslationsOnlyWhereChooserHasCaptions();
};

void TFolderBrowserDialogTest::makesFolderThroughButtonAndReturnsIt()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString base = temp.path();
    const QString made = base + "/Neu";
    const QLocale german(QStringLiteral("de_DE"));
    QObject translations;
    QVERIFY(InstallQtTranslations(german, translations));
    TVeskaFolderDialog dialog(nullptr, german);
    dialog.SetFlags({TFlags::OnlyFileSystem, TFlags::ShowPath});
    dialog.SetFolder(base);
    int openings = 0;
    dialog.SetOnInitialized([&](TVeskaFolderDialog &, QWidget *) { ++openings; });

    TModalDriver driver;
    QString firstSelection, firstStatus, secondSelection, secondStatus; // status: its tooltip
    QStringList texts; // the window title, the label, Cancel, the input box's Cancel
    QRect newFolderPlace;
    bool secondInView = false;
    driver.When(TBrowserDriver::IsBrowser, [&](QWidget &Window) {
        const TBrowserDriver browser(Window);
        firstSelection = browser.CurrentPath();
        firstStatus = browser.StatusText().toolTip();
        texts << Window.windowTitle() << browser.TitleLabel().text()
              << browser.CancelButton().text();
        newFolderPlace = browser.NewFolderButton().geometry();
        driver.When(TBrowserDriver::IsNameInput, [&](QWidget &Input) {
            auto &box = static_cast<QInputDialog &>(Input);
            for (const QPushButton *pushed : box.findChildren<QPushButton *>()) {
                if (!pushed->isDefault())
                    texts << pushed->text();
            }
            box.setTextValue(QStringLiteral("Neu"));
            box.accept();
        });
        browser.NewFolderButton().click();
        driver.When(
            [&](QWidget &Modal) { return openings == 2 && TBrowserDriver::IsBrowser(Modal); },
            [&](QWidget &Again) {
                const TBrowserDriver reopened(Again);
                secondSelection = reopened.CurrentPath();
                secondInView = reopened.CurrentInView();
                secondStatus = reopened.StatusText().toolTip();
                const QString picture = qEnvironmentVariable("TROVEL_FOLDER_CHOOSER_PNG");
                if (!picture.isEmpty())
                    Again.grab().save(picture);
                reopened.OkButton().click();
            });
    });

    QVERIFY(dialog.Execute());
    QVERIFY2(driver.Failures.isEmpty(), qPrintable(driver.Failures.join(u'\n')));
    QCOMPARE(firstSelection, base);
    QCOMPARE(firstStatus, base);
    QCOMPARE(texts,
             (QStringList{"Ordner suchen", "Ausgewählter Ordner:", "Abbrechen", "Abbrechen"}));
    QCOMPARE(newFolderPlace.x(), 12);
    QCOMPARE(openings, 2);
    QCOMPARE(secondSelection, made);
    QVERIFY(secondInView);
    QCOMPARE(secondStatus, made);
    QCOMPARE(dialog.Folder(), made);
    QVERIFY(QFileInfo(made).isDir());
}

void TFolderBrowserDialogTest::opensAtHomeAmongThePlaces()
{
#ifdef Q_OS_WIN
    QSKIP("the places there are the known folders, not those of a home made for the test");
#endif
    TFakeHome home;
    QVERIFY(home.IsValid());
    home.Folder("Desktop");
    TVeskaFolderDialog dialog;
    dialog.SetFlags({TFlags::OnlyFileSystem, TFlags::ShowPath});
    TModalDriver driver;
    QString selected, status;
    QStringList places, tabs;
    driver.When(TBrowserDriver::IsBrowser, [&](QWidget &Window) {
        const TBrowserDriver browser(Window);
        selected = browser.CurrentPath();
        status = browser.StatusText().text();
        places = browser.TopItems().mid(0, 3);
        tabs = browser.TabOrder();
        browser.OkButton().click();
    });
    QVERIFY(dialog.Execute());
    QVERIFY2(driver.Failures.isEmpty(), qPrintable(driver.Failures.join(u'\n')));
    QCOMPARE(selected, home.Path());
    QCOMPARE(status, QStringLiteral("~"));
    QCOMPARE(places, (QStringList{QFileInfo(home.Path()).fileName(), "/", "Desktop"}));
    QCOMPARE(tabs, (QStringList{"folderTree", "newFolderButton", "okButton", "cancelButton"}));
    QCOMPARE(dialog.Folder(), home.Path());
}

void TFolderBrowserDialogTest::showsStartFolderAndFollowsResizing()
{
    TFakeHome home;
    QVERIFY(home.IsValid());
    for (int number = 1; number <= 60; ++number)
        home.Folder(QStringLiteral("Ordner %1").arg(number));
    home.Folder(QString(150, u'x'));
    TVeskaFolderDialog dialog;
    dialog.SetFolder(home.Path() + "/Ordner 45");
    TModalDriver driver;
    bool inView = false;
    int sideRange = 0;
    QRect before, after;
    driver.When(TBrowserDriver::IsBrowser, [&](QWidget &Window) {
        const TBrowserDriver browser(Window);
        inView = browser.CurrentInView();
        sideRange = browser.Tree().horizontalScrollBar()->maximum();
        before = browser.NewFolderButton().geometry();
        Window.resize(Window.size() + QSize(100, 80));
        after = browser.NewFolderButton().geometry();
        browser.CancelButton().click();
    });
    QVERIFY(!dialog.Execute());
    QVERIFY2(driver.Failures.isEmpty(), qPrintable(driver.Failures.join(u'\n')));
    QVERIFY(inView);
    QVERIFY(sideRange > 0);
    QCOMPARE(after, before.translated(0, 80));
}

void TFolderBrowserDialogTest::cancelReturnsFalseWithoutStatusLine()
{
    TVeskaFolderDialog dialog;
    dialog.SetFlags({TFlags::OnlyFileSystem});
    dialog.SetFolder(QStringLiteral("/"));
    TModalDriver driver;
    bool statusHidden = false;
    driver.When(TBrowserDriver::IsBrowser, [&](QWidget &Window) {
        const TBrowserDriver browser(Window);
        statusHidden = browser.StatusText().isHidden();
        browser.CancelButton().click();
    });
    QVERIFY(!dialog.Execute());
    QVERIFY2(driver.Failures.isEmpty(), qPrintable(driver.Failures.join(u'\n')));
    QVERIFY(statusHidden);
    QCOMPARE(dialog.Folder(), QStringLiteral("/"));
}

void TFolderBrowserDialogTest::rootFolderIsTheOnlyTopItem()
{
#ifdef Q_OS_WIN
    QSKIP("the places there are the known folders, not those of a home made for the test");
#endif
    TFakeHome home;
    QVERIFY(home.IsValid());
    home.Folder("Desktop/Unter");
    home.Folder("Daneben");
    TVeskaFolderDialog dialog;
    dialog.SetRootFolder(foDesktopFolder);
    TModalDriver driver;
    QString selected;
    QStringList places;
    driver.When(TBrowserDriver::IsBrowser, [&](QWidget &Window) {
        const TBrowserDriver browser(Window);
        selected = browser.CurrentPath();
        places = browser.TopItems();
        browser.OkButton().click();
    });
    QVERIFY(dialog.Execute());
    QVERIFY2(driver.Failures.isEmpty(), qPrintable(driver.Failures.join(u'\n')));
    QCOMPARE(places, QStringList{QStringLiteral("Desktop")});
    QCOMPARE(selected, home.Path() + "/Desktop");
    QCOMPARE(dialog.Folder(), home.Path() + "/Desktop");
}

// Opened at a folder deep enough that its row is wider than the tree, and
// again after New folder, the tree stands at its left edge, where every row
// begins, with the selected row in sight; the chooser's button shares the row
// of OK and Cancel.
void TFolderBrowserDialogTest::opensScrolledLeftAtDeepFolder()
{
    TFakeHome home;
    QVERIFY(home.IsValid());
    home.Folder("Desktop");
    const QString deep = home.Folder("Spiele/Morvanth/Archive/Texturen/Umgebung/Wald/Laubbäume/"
                                     "Eiche/Rinde der alten Eiche am Waldrand");
    TVeskaFolderDialog dialog;
    dialog.SetFlags({TFlags::OnlyFileSystem, TFlags::ShowPath});
    dialog.SetFolder(deep);
    int openings = 0;
    dialog.SetOnInitialized([&](TVeskaFolderDialog &, QWidget *) { ++openings; });

    struct TSeen
    {
        QString Selected;
        int Sideways = -1;
        int SidewaysRange = 0;
        bool InView = false;
        QList<QRect> Buttons; // New folder, OK, Cancel in the dialog
    };
    QList<TSeen> seen;
    const auto look = [&](QWidget &Window) {
        const TBrowserDriver browser(Window);
        const QScrollBar *bar = browser.Tree().horizontalScrollBar();
        TSeen now{browser.CurrentPath(), bar->value(), bar->maximum(), browser.CurrentInView(), {}};
        for (const QPushButton *button :
             {&browser.NewFolderButton(), &browser.OkButton(), &browser.CancelButton()})
            now.Buttons << QRect(button->mapTo(&Window, QPoint(0, 0)), button->size());
        seen << now;
    };
    TModalDriver driver;
    driver.When(TBrowserDriver::IsBrowser, [&](QWidget &Window) {
        look(Window);
        driver.When(TBrowserDriver::IsNameInput, [&](QWidget &Input) {
            auto &box = static_cast<QInputDialog &>(Input);
            box.setTextValue(QStringLiteral("Neu"));
            box.accept();
        });
        TBrowserDriver(Window).NewFolderButton().click();
        driver.When(
            [&](QWidget &Modal) { return openings == 2 && TBrowserDriver::IsBrowser(Modal); },
            [&](QWidget &Again) {
                look(Again);
                TBrowserDriver(Again).OkButton().click();
            });
    });
    QVERIFY(dialog.Execute());
    QVERIFY2(driver.Failures.isEmpty(), qPrintable(driver.Failures.join(u'\n')));
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[0].Selected, deep);
    QCOMPARE(seen[1].Selected, deep + "/Neu");
    for (const TSeen &opened : std::as_const(seen)) {
        QVERIFY(opened.SidewaysRange > 0);
        QCOMPARE(opened.Sideways, 0);
        QVERIFY(opened.InView);
        for (const QRect &button : opened.Buttons.mid(1)) {
            QCOMPARE(opened.Buttons[0].top(), button.top());
            QCOMPARE(opened.Buttons[0].height(), button.height());
        }
    }
}

void TFolderBrowserDialogTest::qtTranslationsOnlyWhereChooserHasCaptions_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("German (Germany)") << "de_DE" << true << "Abbrechen";
    QTest::newRow("French (Canada)") << "fr_CA" << true << "Annuler";
    // The chooser would be English beside Qt's Russian or German buttons.
    QTest::newRow("Russian") << "ru_RU" << false << "Cancel";
    QTest::newRow("German (Belgium)") << "de_BE" << false << "Cancel";
}

// Qt's buttons speak the chooser's language, or English as it does.
void TFolderBrowserDialogTest::qtTranslationsOnlyWhereChooserHasCaptions()
{
    QFETCH(QString, locale);
    QFETCH(bool, installed);
    QFETCH(QString, cancel);
    QObject translations;
    QCOMPARE(InstallQtTranslations(QLocale(locale), translations), installed);
    const QDialogButtonBox box(QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(u'&'), cancel);
}

QTEST_MAIN(TFolderBrowserDialogTest)
#include "FolderBrowserDialogTest.moc"
