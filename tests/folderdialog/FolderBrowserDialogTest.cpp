#include "FakeHome.h"
#include "FolderBrowser.h"
#include "FolderPlacesModel.h"
#include "ModalDriver.h"
#include "QtTranslations.h"
#include "VeskaFolderDialog.h"

#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace trovel;
using trovel::testing::TFakeHome;
using trovel::testing::TModalDriver;
using F = trovel::TBrowseInfoFlags;

namespace {

QTreeView &Tree(QWidget &Browser)
{
    return *Browser.findChild<QTreeView *>(QStringLiteral("folderTree"));
}

QString CurrentPath(QWidget &Browser)
{
    return Tree(Browser).currentIndex().data(TFolderPlacesModel::PathRole).toString();
}

bool CurrentInView(QWidget &Browser)
{
    const QTreeView &View = Tree(Browser);
    const QRect Item = View.visualRect(View.currentIndex());
    const QRect Viewport = View.viewport()->rect();
    return Item.intersects(Viewport) && Item.top() >= 0 && Item.bottom() <= Viewport.bottom();
}

QStringList TopItems(QWidget &Browser)
{
    const QAbstractItemModel &Model = *Tree(Browser).model();
    QStringList Names;
    for (int Row = 0; Row < Model.rowCount(); ++Row)
        Names << Model.index(Row, 0).data().toString();
    return Names;
}

// The widgets that Tab visits, from the tree on.
QStringList TabOrder(QWidget &Browser)
{
    QStringList Names;
    QWidget *Start = &Tree(Browser);
    QWidget *Widget = Start;
    do {
        if ((Widget->focusPolicy() & Qt::TabFocus) && Widget->isVisible() && Widget->isEnabled())
            Names << Widget->objectName();
        Widget = Widget->nextInFocusChain();
    } while (Widget != Start);
    return Names;
}

QPushButton *Button(QWidget &Browser, const char *Name)
{
    return Browser.findChild<QPushButton *>(QLatin1String(Name));
}

} // namespace

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
class TestRealBrowser final : public QObject
{
    Q_OBJECT

private slots:
    void makesFolderThroughButtonAndReturnsIt();
    void opensAtHomeAmongThePlaces();
    void showsStartFolderAndFollowsResizing();
    void cancelReturnsFalseWithoutStatusLine();
    void rootFolderIsTheOnlyTopItem();
};

void TestRealBrowser::makesFolderThroughButtonAndReturnsIt()
{
    QTemporaryDir Temp;
    QVERIFY(Temp.isValid());
    const QString Base = Temp.path();
    const QString Made = Base + "/Neu";
    const QLocale German(QStringLiteral("de_DE"));
    QObject Translations;
    QVERIFY(InstallQtTranslations(German, Translations));
    TVeskaFolderDialog Dialog(nullptr, German);
    Dialog.SetFlags({F::OnlyFileSystem, F::ShowPath});
    Dialog.SetFolder(Base);
    int Openings = 0;
    Dialog.SetOnInitialized([&](TVeskaFolderDialog &, QWidget *) { ++Openings; });

    TModalDriver Driver;
    QString FirstSelection, FirstStatus, SecondSelection, SecondStatus; // status: its tooltip
    QStringList Texts; // the window title, the label, Cancel, the input box's Cancel
    QRect NewFolderPlace;
    bool SecondInView = false;
    Driver.When(QStringLiteral("folderBrowser"), [&](QWidget &Browser) {
        FirstSelection = CurrentPath(Browser);
        FirstStatus = Browser.findChild<QLabel *>(QStringLiteral("statusText"))->toolTip();
        Texts << Browser.windowTitle()
              << Browser.findChild<QLabel *>(QStringLiteral("titleLabel"))->text()
              << Button(Browser, "cancelButton")->text();
        NewFolderPlace = Button(Browser, "newFolderButton")->geometry();
        Driver.When(QStringLiteral("folderNameInput"), [&](QWidget &Input) {
            auto &Box = static_cast<QInputDialog &>(Input);
            for (const QPushButton *Pushed : Box.findChildren<QPushButton *>()) {
                if (!Pushed->isDefault())
                    Texts << Pushed->text();
            }
            Box.setTextValue(QStringLiteral("Neu"));
            Box.accept();
        });
        Button(Browser, "newFolderButton")->click();
        Driver.When(
            [&](QWidget &Modal) { return Openings == 2 && Modal.objectName() == "folderBrowser"; },
            [&](QWidget &Browser) {
                SecondSelection = CurrentPath(Browser);
                SecondInView = CurrentInView(Browser);
                SecondStatus = Browser.findChild<QLabel *>(QStringLiteral("statusText"))->toolTip();
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
    QCOMPARE(Texts,
             (QStringList{"Ordner suchen", "Ausgewählter Ordner:", "Abbrechen", "Abbrechen"}));
    QCOMPARE(NewFolderPlace.x(), 12);
    QCOMPARE(Openings, 2);
    QCOMPARE(SecondSelection, Made);
    QVERIFY(SecondInView);
    QCOMPARE(SecondStatus, Made);
    QCOMPARE(Dialog.Folder(), Made);
    QVERIFY(QFileInfo(Made).isDir());
}

void TestRealBrowser::opensAtHomeAmongThePlaces()
{
    TFakeHome Home;
    QVERIFY(Home.IsValid());
    Home.Folder("Desktop");
    TVeskaFolderDialog Dialog;
    Dialog.SetFlags({F::OnlyFileSystem, F::ShowPath});
    TModalDriver Driver;
    QString Selected, Status;
    QStringList Places, Tabs;
    Driver.When(QStringLiteral("folderBrowser"), [&](QWidget &Browser) {
        Selected = CurrentPath(Browser);
        Status = Browser.findChild<QLabel *>(QStringLiteral("statusText"))->text();
        Places = TopItems(Browser).mid(0, 3);
        Tabs = TabOrder(Browser);
        Button(Browser, "okButton")->click();
    });
    QVERIFY(Dialog.Execute());
    QVERIFY2(Driver.Failures.isEmpty(), qPrintable(Driver.Failures.join(u'\n')));
    QCOMPARE(Selected, Home.Path());
    QCOMPARE(Status, QStringLiteral("~"));
    QCOMPARE(Places, (QStringList{QFileInfo(Home.Path()).fileName(), "/", "Desktop"}));
    QCOMPARE(Tabs, (QStringList{"folderTree", "newFolderButton", "okButton", "cancelButton"}));
    QCOMPARE(Dialog.Folder(), Home.Path());
}

void TestRealBrowser::showsStartFolderAndFollowsResizing()
{
    TFakeHome Home;
    QVERIFY(Home.IsValid());
    for (int Number = 1; Number <= 60; ++Number)
        Home.Folder(QStringLiteral("Ordner %1").arg(Number));
    Home.Folder(QString(150, u'x'));
    TVeskaFolderDialog Dialog;
    Dialog.SetFolder(Home.Path() + "/Ordner 45");
    TModalDriver Driver;
    bool InView = false;
    int SideRange = 0;
    QRect Before, After;
    Driver.When(QStringLiteral("folderBrowser"), [&](QWidget &Browser) {
        InView = CurrentInView(Browser);
        SideRange = Tree(Browser).horizontalScrollBar()->maximum();
        Before = Button(Browser, "newFolderButton")->geometry();
        Browser.resize(Browser.size() + QSize(100, 80));
        After = Button(Browser, "newFolderButton")->geometry();
        Button(Browser, "cancelButton")->click();
    });
    QVERIFY(!Dialog.Execute());
    QVERIFY2(Driver.Failures.isEmpty(), qPrintable(Driver.Failures.join(u'\n')));
    QVERIFY(InView);
    QVERIFY(SideRange > 0);
    QCOMPARE(After, Before.translated(0, 80));
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
    TFakeHome Home;
    QVERIFY(Home.IsValid());
    Home.Folder("Desktop/Unter");
    Home.Folder("Daneben");
    TVeskaFolderDialog Dialog;
    Dialog.SetRootFolder(foDesktopFolder);
    TModalDriver Driver;
    QString Selected;
    QStringList Places;
    Driver.When(QStringLiteral("folderBrowser"), [&](QWidget &Browser) {
        Selected = CurrentPath(Browser);
        Places = TopItems(Browser);
        Button(Browser, "okButton")->click();
    });
    QVERIFY(Dialog.Execute());
    QVERIFY2(Driver.Failures.isEmpty(), qPrintable(Driver.Failures.join(u'\n')));
    QCOMPARE(Places, QStringList{QStringLiteral("Desktop")});
    QCOMPARE(Selected, Home.Path() + "/Desktop");
    QCOMPARE(Dialog.Folder(), Home.Path() + "/Desktop");
}

QTEST_MAIN(TestRealBrowser)
#include "FolderBrowserDialogTest.moc"
