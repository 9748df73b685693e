#include "FolderBrowser.h"
#include "ModalDriver.h"
#include "VeskaFolderDialog.h"

#include <QFileSystemModel>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace trovel;
using trovel::testing::TModalDriver;
using F = trovel::TBrowseInfoFlags;

namespace {

QString CurrentPath(QWidget &Browser)
{
    const auto *Tree = Browser.findChild<QTreeView *>(QStringLiteral("folderTree"));
    return Tree->currentIndex().data(QFileSystemModel::FilePathRole).toString();
}

QPushButton *Button(QWidget &Browser, const char *Name)
{
    return Browser.findChild<QPushButton *>(QLatin1String(Name));
}

} // namespace

// The real browser, answered from the event loop. On a real display it also
// saves a picture of the browser showing a folder it has just made; from the
// repository (the suppressions silence a D-Bus buffer of the X11 plugin):
//   export TROVEL_FOLDER_CHOOSER_PNG=docs/folder-chooser.png
//   export LSAN_OPTIONS=suppressions=tests/folderdialog/lsan-xcb.supp
//   xvfb-run -a build-test/tests/folderdialog/folderdialog_browser_tests
class TestRealBrowser final : public QObject
{
    Q_OBJECT

private slots:
    void makesFolderThroughButtonAndReturnsIt();
    void cancelReturnsFalseWithoutStatusLine();
    void rootFolderIsTheOnlyTopItem();
};

void TestRealBrowser::makesFolderThroughButtonAndReturnsIt()
{
    QTemporaryDir Temp;
    QVERIFY(Temp.isValid());
    const QString Base = Temp.path();
    const QString Made = Base + "/Neu";
    TVeskaFolderDialog Dialog(nullptr, QLocale(QStringLiteral("de_DE")));
    Dialog.SetFlags({F::OnlyFileSystem, F::ShowPath});
    Dialog.SetFolder(Base);
    int Openings = 0;
    Dialog.SetOnInitialized([&](TVeskaFolderDialog &, QWidget *) { ++Openings; });

    TModalDriver Driver;
    QString FirstSelection, FirstStatus, Title, SecondSelection, SecondStatus;
    QRect NewFolderPlace;
    Driver.When(QStringLiteral("folderBrowser"), [&](QWidget &Browser) {
        FirstSelection = CurrentPath(Browser);
        FirstStatus = Browser.findChild<QLabel *>(QStringLiteral("statusText"))->text();
        Title = Browser.findChild<QLabel *>(QStringLiteral("titleLabel"))->text();
        NewFolderPlace = Button(Browser, "newFolderButton")->geometry();
        Driver.When(QStringLiteral("folderNameInput"), [](QWidget &Input) {
            auto &Box = static_cast<QInputDialog &>(Input);
            Box.setTextValue(QStringLiteral("Neu"));
            Box.accept();
        });
        Button(Browser, "newFolderButton")->click();
        Driver.When(
            [&](QWidget &Modal) { return Openings == 2 && Modal.objectName() == "folderBrowser"; },
            [&](QWidget &Browser) {
                SecondSelection = CurrentPath(Browser);
                SecondStatus = Browser.findChild<QLabel *>(QStringLiteral("statusText"))->text();
                const QString Picture = qEnvironmentVariable("TROVEL_FOLDER_CHOOSER_PNG");
                if (!Picture.isEmpty())
                    Browser.grab().save(Picture);
                Button(Browser, "okButton")->click();
            });
    });

    QVERIFY(Dialog.Execute());
    QVERIFY2(Driver.Failures.isEmpty(), qPrintable(Driver.Failures.join(u'\n')));
    QCOMPARE(FirstSelection, Base);
    QCOMPARE(FirstStatus, Base);
    QCOMPARE(Title, QStringLiteral("Ausgewählter Ordner:"));
    QCOMPARE(NewFolderPlace.x(), 12);
    QCOMPARE(Openings, 2);
    QCOMPARE(SecondSelection, Made);
    QCOMPARE(SecondStatus, Made);
    QCOMPARE(Dialog.Folder(), Made);
    QVERIFY(QFileInfo(Made).isDir());
}

void TestRealBrowser::cancelReturnsFalseWithoutStatusLine()
{
    TVeskaFolderDialog Dialog;
    Dialog.SetFlags({F::OnlyFileSystem});
    Dialog.SetFolder(QStringLiteral("/"));
    TModalDriver Driver;
    bool StatusHidden = false;
    Driver.When(QStringLiteral("folderBrowser"), [&](QWidget &Browser) {
        StatusHidden = Browser.findChild<QLabel *>(QStringLiteral("statusText"))->isHidden();
        Button(Browser, "cancelButton")->click();
    });
    QVERIFY(!Dialog.Execute());
    QVERIFY2(Driver.Failures.isEmpty(), qPrintable(Driver.Failures.join(u'\n')));
    QVERIFY(StatusHidden);
    QCOMPARE(Dialog.Folder(), QStringLiteral("/"));
}

void TestRealBrowser::rootFolderIsTheOnlyTopItem()
{
    QTemporaryDir Home;
    QVERIFY(Home.isValid());
    QVERIFY(QDir().mkpath(Home.path() + "/Desktop/Unter"));
    QVERIFY(QDir().mkpath(Home.path() + "/Daneben"));
    const QByteArray OldHome = qgetenv("HOME");
    qputenv("HOME", Home.path().toLocal8Bit());
    TVeskaFolderDialog Dialog;
    Dialog.SetRootFolder(foDesktopFolder);
    TModalDriver Driver;
    QString Selected;
    QStringList TopItems;
    Driver.When(QStringLiteral("folderBrowser"), [&](QWidget &Browser) {
        Selected = CurrentPath(Browser);
        const auto *Tree = Browser.findChild<QTreeView *>(QStringLiteral("folderTree"));
        for (int Row = 0; Row < Tree->model()->rowCount(Tree->rootIndex()); ++Row)
            TopItems << Tree->model()->index(Row, 0, Tree->rootIndex()).data().toString();
        Button(Browser, "okButton")->click();
    });
    const bool Confirmed = Dialog.Execute();
    qputenv("HOME", OldHome);
    QVERIFY(Confirmed);
    QVERIFY2(Driver.Failures.isEmpty(), qPrintable(Driver.Failures.join(u'\n')));
    QCOMPARE(TopItems, QStringList{QStringLiteral("Desktop")});
    QCOMPARE(Selected, Home.path() + "/Desktop");
    QCOMPARE(Dialog.Folder(), Home.path() + "/Desktop");
}

QTEST_MAIN(TestRealBrowser)
#include "RealBrowserTest.moc"
