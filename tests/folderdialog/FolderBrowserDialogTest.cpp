#include "BrowserDriver.h"
#include "FakeHome.h"
#include "ModalDriver.h"
#include "QtTranslations.h"
#include "VeskaFolderDialog.h"

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

QTEST_MAIN(TFolderBrowserDialogTest)
#include "FolderBrowserDialogTest.moc"
