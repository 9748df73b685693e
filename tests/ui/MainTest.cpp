// The main window driven as a person would: File > Open with archives made by
// the test-archive writer, folders selected, commands chosen by menu, shortcut
// and mouse, every dialog answered through the window's seam.
#include "Main.h"
#include "ArchiveBuilder.h"
#include "FolderTreeModel.h"
#include "MessageBoxes.h"
#include "ModalDriver.h"
#include "WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <QtTest>

using namespace trovel;
using namespace trovel::testing;

namespace {

const QString NoArchive = QStringLiteral("Please open an archive first!");

// The node's button, icon and text stand inside the tree's viewport, sideways.
bool InView(const QTreeView &Tree, const QModelIndex &Node)
{
    const QRect cell = Tree.visualRect(Node);
    return cell.left() >= 0 &&
           cell.left() + Tree.sizeHintForIndex(Node).width() <= Tree.viewport()->width();
}

} // namespace

class TMainWindowTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void componentsAreFoundByNameAndKind_data();
    void componentsAreFoundByNameAndKind();
    void windowLayoutFollowsFont_data();
    void windowLayoutFollowsFont();
    void menusShowAccessKeysAndGermanShortcutTexts();
    void loadBuildsExpandedTreeAndSelectsRoot();
    void selectingFolderListsItsFiles_data();
    void selectingFolderListsItsFiles();
    void namesShowDecoded_data();
    void namesShowDecoded();
    void selectedFolderIconFollowsExpansion();
    void statusTextsFollowTheLoad();
    void entryCountIsStatusText_data();
    void entryCountIsStatusText();
    void failedOpenShowsErrorWithPeriodAndEmptiesTree();
    void cancelledOpenKeepsEverything();
    void secondOpenStartsWithPreviousPath();
    void openWorksThroughRealDialog();
    void extractCommandsNeedLoadedArchive_data();
    void extractCommandsNeedLoadedArchive();
    void listRowsCannotBeEdited();
    void aboutBoxCarriesApplicationTitle();
    void plainMessageBoxCopiesWithCtrlC();
    void openIsRefusedWhileLoading();
    void closingDuringLoadEndsAfterLoad();
    void reopenWithSubfolderSelectedReadsNoReleasedList();
    void deepArchiveShowsLevelsViewCanLayOut();
    void deepFolderScrollsIntoView();
    void exitWithoutArchiveClosesSilently();
    void extractArcFileNameKeepsTextAfterLastSlash_data();
    void extractArcFileNameKeepsTextAfterLastSlash();
};

void TMainWindowTest::initTestCase()
{
    // Windows closed by a test must not end the application's event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    // The window's sizes are laid out for a font of this line height.
    QApplication::setFont(FontOfLineHeight(13));
}

void TMainWindowTest::componentsAreFoundByNameAndKind_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    const QList<std::pair<const char *, const char *>> components = {
        {"MainMenu1", "QMenuBar"},
        {"Datei1", "QMenu"},
        {"ffnen1", "QAction"},
        {"N1", "QAction"},
        {"Beenden1", "QAction"},
        {"tvDirectories", "QTreeView"},
        {"lvFiles", "QTreeView"},
        {"pnExtract", "QFrame"},
        {"pbProgress", "QProgressBar"},
        {"lbExtract", "QLabel"},
        {"btCancel", "QPushButton"},
        {"Splitter1", "QSplitter"},
        {"Extract1", "QMenu"},
        {"Selectedfile1", "QAction"},
        {"Allfiles1", "QAction"},
        {"StatusBar1", "trovel::TStatusBar"},
        {"Help1", "QMenu"},
        {"AboutTrovel1", "QAction"},
    };
    for (const auto &[name, className] : components)
        QTest::newRow(name) << name << className;
}

void TMainWindowTest::componentsAreFoundByNameAndKind()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    TWindowDriver driver;
    QObject *component = driver.Window().findChild<QObject *>(name);
    QVERIFY(component);
    QVERIFY(component->inherits(className.toLatin1()));
}

void TMainWindowTest::windowLayoutFollowsFont_data()
{
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<int>("letterSpacing"); // percent
    QTest::newRow("line height 13") << 13 << 100;
    // Too large for the offscreen platform's desktop of 800 x 600.
    QTest::newRow("twice as large") << 26 << 100;
    // Digits too wide for the Size column's 80 pixels widen it.
    QTest::newRow("wide digits") << 13 << 250;
}

// Every size and position of the form scales with the font's line height
// over 13; a window larger than the desktop is made smaller, in proportion.
// The name column takes the width that the size column leaves free.
void TMainWindowTest::windowLayoutFollowsFont()
{
    QFETCH(int, lineHeight);
    QFETCH(int, letterSpacing);
    const QFont kept = QApplication::font();
    QFont font = FontOfLineHeight(lineHeight);
    font.setLetterSpacing(QFont::PercentageSpacing, letterSpacing);
    QApplication::setFont(font);
    const auto restore = qScopeGuard([&] { QApplication::setFont(kept); });
    const int k = lineHeight / 13;

    TWindowDriver driver;
    TfrmMain &window = driver.Window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Trovel 1.0"));
    QVERIFY(!window.windowIcon().isNull());
    const int menuHeight = window.findChild<QMenuBar *>("MainMenu1")->height();
    const QSize designed(736 * k, 487 * k + menuHeight);
    const QRect desktop = window.screen()->availableGeometry();
    QVERIFY(desktop.contains(window.frameGeometry()));
    if (designed.grownBy(window.windowHandle()->frameMargins()).height() <= desktop.height()) {
        QCOMPARE(window.size(), designed);
        QCOMPARE(driver.Tree()->width(), 201 * k);
        QCOMPARE(driver.List()->width(), 534 * k);
    } else {
        // Once the window manager has framed the window (and moved it to do
        // so), the window takes the room there is.
        window.move(window.pos() + QPoint(1, 1));
        const QRect frame = window.frameGeometry();
        QVERIFY(desktop.contains(frame));
        QVERIFY(frame.width() == desktop.width() || frame.height() == desktop.height());
        QVERIFY(window.height() < designed.height());
        // Both sides are shrunk by one factor, each to a whole pixel.
        QVERIFY(qAbs(window.width() * designed.height() - window.height() * designed.width()) <
                designed.width() + designed.height());
    }
    QTreeView *list = driver.List();
    QHeaderView *header = list->header();
#ifdef Q_OS_WIN
    // Windows' header style asks more room for the caption and its sort mark.
    QVERIFY(header->sectionSize(1) >= 80 * k);
#else
    if (letterSpacing == 100)
        QCOMPARE(header->sectionSize(1), 80 * k);
#endif
    QCOMPARE(header->sectionSize(0) + header->sectionSize(1), list->viewport()->width());
    QCOMPARE(driver.Tree()->indentation(), 19);

    auto *panel = window.findChild<QFrame *>("pnExtract");
    QVERIFY(panel->isHidden());
    QCOMPARE(panel->geometry(), QRect(240 * k, 184 * k, 281 * k, 89 * k));
    auto *label = window.findChild<QLabel *>("lbExtract");
    QCOMPARE(label->geometry(), QRect(16 * k, 8 * k, 257 * k, 13 * k));
    QCOMPARE(window.findChild<QProgressBar *>("pbProgress")->geometry(),
             QRect(24 * k, 32 * k, 241 * k, 16 * k));
    auto *cancel = window.findChild<QPushButton *>("btCancel");
    QCOMPARE(cancel->geometry(), QRect(103 * k, 56 * k, 75 * k, 25 * k));
    QCOMPARE(cancel->text(), QStringLiteral("Abbrechen"));
    for (const QWidget *child : panel->findChildren<QWidget *>())
        QVERIFY2(panel->rect().contains(child->geometry()), qPrintable(child->objectName()));
    QVERIFY(label->height() >= label->fontMetrics().height());
    QCOMPARE(driver.Status(), QString());

    // The largest size an entry can have is shown whole.
    TArchiveBuilder archive;
    archive.AddOther("largest", 0, 4294967295u);
    driver.Open(driver.Write(archive));
    const QModelIndex size = list->model()->index(0, 1);
    QCOMPARE(size.data().toString(), QStringLiteral("4294967295"));
    QVERIFY(list->sizeHintForIndex(size).width() <= header->sectionSize(1));

    // A column released narrower than its minimum gets its minimum; the size
    // column widened leaves the name column its minimum.
    header->resizeSection(1, 5);
    QCOMPARE(header->sectionSize(1), 20 * k);
    QCOMPARE(header->sectionSize(0), list->viewport()->width() - 20 * k);
    header->resizeSection(1, list->viewport()->width());
    QCOMPARE(header->sectionSize(0), 50 * k);
    QCOMPARE(header->sectionSize(0) + header->sectionSize(1), list->viewport()->width());

    // In a narrow window the size column stays in view.
    header->resizeSection(1, 80 * k);
    window.resize(400 * k, window.height());
    QTRY_COMPARE(window.width(), 400 * k);
    QTRY_COMPARE(header->sectionSize(0) + header->sectionSize(1), list->viewport()->width());
    QCOMPARE(header->sectionSize(1), 80 * k);
}

void TMainWindowTest::menusShowAccessKeysAndGermanShortcutTexts()
{
    TWindowDriver driver;
    const QList<std::tuple<const char *, QString, QString>> items = {
        {"ffnen1", "&Open", "Strg+O"},
        {"Beenden1", "E&xit", ""},
        {"Selectedfile1", "&Selected file...", "Strg+X"},
        {"Allfiles1", "&All files...", "Strg+A"},
        {"AboutTrovel1", "&About Trovel...", ""},
    };
    for (const auto &[name, text, shortcut] : items) {
        QAction *action = driver.Action(name);
        QCOMPARE(action->text(), text);
        QCOMPARE(action->shortcut().toString(QKeySequence::NativeText), shortcut);
    }
    const QStringList titles = {driver.Window().findChild<QMenu *>("Datei1")->title(),
                                driver.Window().findChild<QMenu *>("Extract1")->title(),
                                driver.Window().findChild<QMenu *>("Help1")->title()};
    QCOMPARE(titles, (QStringList{"&File", "&Extract", "&Help"}));
}

void TMainWindowTest::loadBuildsExpandedTreeAndSelectsRoot()
{
    TWindowDriver driver;
    const QString path = driver.Write(SampleArchive(), "Sample.Arc");
    driver.Open(path);
    QVERIFY(driver.Unexpected.isEmpty());
    QVERIFY(driver.Window().ArchiveLoaded());
    // Nodes with children are expanded, the root is current and selected,
    // every node shows the open folder.
    QCOMPARE(driver.TreeDump(), QStringLiteral("0:Sample.Arc*#|1:textures*|2:sky|1:maps"));
    QCOMPARE(driver.Tree()->selectionModel()->selectedIndexes(),
             QModelIndexList{driver.Tree()->model()->index(0, 0)});
    QVERIFY(driver.Tree()->hasFocus());
    QCOMPARE(driver.Rows(), (QStringList{"config.ini:0", "readme.txt:5"}));
    QVERIFY(driver.List()->selectionModel()->selectedRows().isEmpty());
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
}

void TMainWindowTest::selectingFolderListsItsFiles_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<quint32>>("sizes");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("file in a folder")
        << QStringList{"textures/grass.tex", "textures/sky/x"} << QList<quint32>{7, 1} << "textures"
        << QStringList{"grass.tex:7"};
    QTest::newRow("case order") << QStringList{"m/b.txt", "m/A.txt", "m/a.txt"}
                                << QList<quint32>{1, 2, 3} << "m"
                                << QStringList{"a.txt:3", "A.txt:2", "b.txt:1"};
    QTest::newRow("digits as characters")
        << QStringList{"m/9.txt", "m/10.txt"} << QList<quint32>{9, 10} << "m"
        << QStringList{"10.txt:10", "9.txt:9"};
#ifdef Q_OS_WIN // word sort: the hyphen decides only between otherwise equal names
    QTest::newRow("co-op next to coop")
        << QStringList{"m/coop", "m/copper", "m/co-op", "m/cook"} << QList<quint32>{1, 2, 3, 4}
        << "m" << QStringList{"cook:4", "coop:1", "co-op:3", "copper:2"};
#else
    QTest::newRow("co-op next to coop")
        << QStringList{"m/coop", "m/copper", "m/co-op", "m/cook"} << QList<quint32>{1, 2, 3, 4}
        << "m" << QStringList{"cook:4", "co-op:3", "coop:1", "copper:2"};
#endif
}

void TMainWindowTest::selectingFolderListsItsFiles()
{
    QFETCH(QStringList, names);
    QFETCH(QList<quint32>, sizes);
    QFETCH(QString, folder);
    QFETCH(QStringList, rows);
    TArchiveBuilder archive;
    for (qsizetype i = 0; i < names.size(); ++i)
        archive.AddOther(names[i].toStdString(), 0, sizes[i]);
    TWindowDriver driver;
    driver.Open(driver.Write(archive));
    driver.SelectFolder(folder);
    QCOMPARE(driver.Rows(), rows);
    QVERIFY(driver.List()->selectionModel()->selectedRows().isEmpty());

    // Selecting another folder replaces every row.
    driver.List()->setCurrentIndex(driver.List()->model()->index(0, 0));
    driver.SelectFolder("");
    QVERIFY(driver.List()->selectionModel()->selectedRows().isEmpty());
}

void TMainWindowTest::namesShowDecoded_data()
{
    QTest::addColumn<QByteArrayList>("names");
    QTest::addColumn<QStringList>("rows");
    // The tests run in C.UTF-8, whose code page is 1252.
    QTest::newRow("code page") << QByteArrayList{"Gel\xe4nde/Stra\337e.tex",
                                                 "Gel\xe4nde/\xc4pfel.txt"}
                               << QStringList{"Äpfel.txt:1", "Straße.tex:0"};
    QTest::newRow("UTF-8") << QByteArrayList{"Gel\xc3\xa4nde/Stra\xc3\237e.tex"}
                           << QStringList{"Straße.tex:0"};
}

void TMainWindowTest::namesShowDecoded()
{
    QFETCH(QByteArrayList, names);
    QFETCH(QStringList, rows);
    TArchiveBuilder archive;
    for (qsizetype i = 0; i < names.size(); ++i)
        archive.AddOther(names[i].toStdString(), 0, static_cast<std::uint32_t>(i));
    TWindowDriver driver;
    driver.Open(driver.Write(archive));
    QCOMPARE(driver.TreeDump(), QStringLiteral("0:test.arc*#|1:Gelände"));
    driver.SelectFolder(QStringLiteral("Gelände"));
    QCOMPARE(driver.Rows(), rows);
}

void TMainWindowTest::selectedFolderIconFollowsExpansion()
{
    TWindowDriver driver;
    driver.Open(driver.Write(SampleArchive()));
    // A leaf folder shows the closed folder once it was selected.
    driver.SelectFolder("maps");
    driver.SelectFolder("textures");
    QCOMPARE(driver.TreeDump(), QStringLiteral("0:test.arc*|1:textures*#|2:sky|1:maps~1"));
    // Collapsing changes no icon; the next selection chooses again.
    driver.Tree()->collapse(driver.Tree()->currentIndex());
    QCOMPARE(driver.TreeDump(), QStringLiteral("0:test.arc*|1:textures#|2:sky|1:maps~1"));
    driver.SelectFolder("");
    driver.SelectFolder("textures");
    QCOMPARE(driver.TreeDump(), QStringLiteral("0:test.arc*|1:textures#~1|2:sky|1:maps~1"));
}

void TMainWindowTest::statusTextsFollowTheLoad()
{
    TWindowDriver driver;
    QCOMPARE(driver.Status(), QString());
    QStringList during;
    // The load lets pending events run when it makes its first entry list.
    QTimer::singleShot(0, &driver.Window(), [&] {
        during << driver.Status() << (driver.Window().ArchiveLoaded() ? "loaded" : "loading");
    });
    driver.Open(driver.Write(SampleArchive()));
    QCOMPARE(during, (QStringList{"Reading archive...", "loading"}));
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
}

void TMainWindowTest::entryCountIsStatusText_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("tree");
    // A root without folders cannot be expanded, so it shows the closed folder.
    QTest::newRow("none") << 0 << "0 files"
                          << "0:test.arc#~1";
    QTest::newRow("one") << 1 << "1 files"
                         << "0:test.arc#~1";
    QTest::newRow("many") << 1234 << "1234 files"
                          << "0:test.arc#~1";
}

void TMainWindowTest::entryCountIsStatusText()
{
    QFETCH(int, entries);
    QFETCH(QString, status);
    QFETCH(QString, tree);
    TArchiveBuilder archive;
    for (int i = 0; i < entries; ++i)
        archive.AddStored(QStringLiteral("f%1").arg(i).toStdString(), "");
    TWindowDriver driver;
    driver.Open(driver.Write(archive));
    QCOMPARE(driver.Status(), status);
    QCOMPARE(driver.TreeDump(), tree);
    QCOMPARE(driver.Rows().size(), entries);
}

void TMainWindowTest::failedOpenShowsErrorWithPeriodAndEmptiesTree()
{
    TWindowDriver driver;
    driver.Open(driver.Write(SampleArchive()));
    driver.SelectFolder("maps");
    const QString missing = driver.MissingPath();
    driver.OpenFailing(missing);

    QCOMPARE(driver.Seen.size(), 3);
    const auto &error = driver.Seen.last();
    QCOMPARE(error.Kind, QStringLiteral("message"));
    QCOMPARE(error.Text, QStringLiteral("Datei %1 kann nicht geöffnet werden.")
                             .arg(QDir::toNativeSeparators(missing)));
    QCOMPARE(error.Icon, QMessageBox::Critical);
    QCOMPARE(error.Title, ApplicationTitle());
    QCOMPARE(driver.TreeDump(), QString());
    QCOMPARE(driver.Status(), QStringLiteral("Reading archive..."));
    QVERIFY(!driver.Window().ArchiveLoaded());
    // The list of the closed archive stays until the next selection.
    QCOMPARE(driver.Rows(), (QStringList{"a.txt:1", "A.txt:1", "b.txt:2"}));
    QVERIFY(driver.Unexpected.isEmpty());
}

void TMainWindowTest::cancelledOpenKeepsEverything()
{
    TWindowDriver driver;
    driver.Open(driver.Write(SampleArchive()));
    driver.SelectFolder("textures/sky");
    const QString tree = driver.TreeDump();
    const QStringList rows = driver.Rows();
    driver.CancelFileDialog();
    driver.Action("ffnen1")->trigger();
    QCOMPARE(driver.Seen.size(), 2);
    QCOMPARE(driver.TreeDump(), tree);
    QCOMPARE(driver.Rows(), rows);
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
    QVERIFY(driver.Window().ArchiveLoaded());
}

void TMainWindowTest::secondOpenStartsWithPreviousPath()
{
    TWindowDriver driver;
    const QString first = driver.Write(SampleArchive(), "first.arc");
    const QString second = driver.Write(SampleArchive(), "second.arc");
    driver.Open(first);
    driver.Open(second);
    QCOMPARE(driver.Seen.size(), 2);
    for (const auto &seen : driver.Seen) {
        QCOMPARE(seen.Kind, QStringLiteral("file"));
        QCOMPARE(seen.NameFilters, QStringList{"Morvanth Archives (*.arc)"});
        QVERIFY(seen.AnyFile);
    }
    QVERIFY(driver.Seen[0].InitialFile != first);
    QCOMPARE(driver.Seen[1].InitialFile, first);
    QCOMPARE(driver.TreeDump().section(u'|', 0, 0), QStringLiteral("0:second.arc*#"));
}

// The second way of the seam: the real dialog runs and is answered from a
// zero-delay timer, as a person would type the name and press Open.
void TMainWindowTest::openWorksThroughRealDialog()
{
    TWindowDriver driver;
    const QString path = driver.Write(SampleArchive(), "real.arc");
    driver.Seam().AnswerOthers({});
    bool answered = false;
    QTimer::singleShot(0, &driver.Window(), [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QLineEdit &name = FileNameBox(*dialog);
        name.setText(path);
        QTest::keyClick(&name, Qt::Key_Return);
        answered = true;
    });
    driver.Action("ffnen1")->trigger();
    QVERIFY(answered);
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
    QCOMPARE(driver.TreeDump().section(u'|', 0, 0), QStringLiteral("0:real.arc*#"));
}

void TMainWindowTest::extractCommandsNeedLoadedArchive_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("afterFailedOpen");
    for (const char *how : {"Selectedfile1", "Allfiles1", "Ctrl+X", "Ctrl+A", "double-click"}) {
        QTest::addRow("%s at start-up", how) << how << false;
        QTest::addRow("%s after failed open", how) << how << true;
    }
}

void TMainWindowTest::extractCommandsNeedLoadedArchive()
{
    QFETCH(QString, how);
    QFETCH(bool, afterFailedOpen);
    TWindowDriver driver;
    QVERIFY(QTest::qWaitForWindowActive(&driver.Window()));
    if (afterFailedOpen) {
        driver.OpenFailing(driver.MissingPath());
        driver.Seen.clear();
    }
    driver.AnswerMessageBox();
    driver.List()->setFocus();
    if (how == u"Ctrl+X" || how == u"Ctrl+A") {
        // The menu's shortcut wins over the list's own use of the key.
        QTest::keyClick(driver.List(), how.back().toLatin1(), Qt::ControlModifier);
    } else if (how == u"double-click") {
        driver.DoubleClickList(QPoint(20, 20));
    } else {
        driver.Action(how.toLatin1())->trigger();
    }
    QCOMPARE(driver.Seen.size(), 1);
    QCOMPARE(driver.Seen[0].Text, NoArchive);
    QCOMPARE(driver.Seen[0].Icon, QMessageBox::NoIcon);
    QCOMPARE(driver.Seen[0].Title, ApplicationTitle());
    QVERIFY(driver.Unexpected.isEmpty());
}

// The list's rows are read-only: neither F2 nor a second click on the
// selected row opens an editor.
void TMainWindowTest::listRowsCannotBeEdited()
{
    TWindowDriver driver;
    QVERIFY(QTest::qWaitForWindowActive(&driver.Window()));
    driver.Open(driver.Write(SampleArchive()));
    QTreeView *list = driver.List();
    list->setFocus();
    driver.SelectRow("readme.txt");
    QTest::keyClick(list, Qt::Key_F2);
    const QPoint row = driver.RowCentre("readme.txt");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row,
                      QApplication::doubleClickInterval() + 1);
    QVERIFY(!list->findChild<QLineEdit *>());
    QVERIFY(!list->indexWidget(list->currentIndex()));
    QVERIFY(!(list->model()->flags(list->currentIndex()) & Qt::ItemIsEditable));
}

void TMainWindowTest::aboutBoxCarriesApplicationTitle()
{
    TWindowDriver driver;
    driver.AnswerMessageBox();
    driver.Action("AboutTrovel1")->trigger();
    QCOMPARE(driver.Seen.size(), 1);
    const auto &about = driver.Seen[0];
    QCOMPARE(about.Title, ApplicationTitle());
    QCOMPARE(about.Icon, QMessageBox::NoIcon);
    const QStringList lines = about.Text.split(u'\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].contains(u"Trovel"));
    QVERIFY(lines[1].contains(u"Morvanth"));
    QCOMPARE(lines[2], QString());
    QCOMPARE(lines[3], QStringLiteral("For more information see readme.txt!"));
}

void TMainWindowTest::plainMessageBoxCopiesWithCtrlC()
{
    TWindowDriver driver;
    driver.Seam().AnswerOthers({});
    QString buttons;
    bool escapeIsOk = false;
    QTimer::singleShot(0, &driver.Window(), [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        escapeIsOk = box->escapeButton() == box->defaultButton() && box->defaultButton();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        buttons = box->defaultButton()->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    driver.Action("Allfiles1")->trigger();
    QVERIFY(escapeIsOk);
    const QString rule = QStringLiteral("---------------------------\n");
    QCOMPARE(QGuiApplication::clipboard()->text(), rule + ApplicationTitle() + u'\n' + rule +
                                                       NoArchive + u'\n' + rule +
                                                       QStringLiteral("OK   \n") + rule);
    QCOMPARE(buttons.remove(u'&'), QStringLiteral("OK"));
}

void TMainWindowTest::openIsRefusedWhileLoading()
{
    TWindowDriver driver;
    const QString first = driver.Write(SampleArchive(), "first.arc");
    int runsDuringLoad = -1;
    QTimer::singleShot(0, &driver.Window(), [&] {
        const int before = driver.Seam().RunCount();
        driver.Action("ffnen1")->trigger();
        runsDuringLoad = driver.Seam().RunCount() - before;
    });
    driver.Open(first);
    QCOMPARE(runsDuringLoad, 0);
    QVERIFY(driver.Unexpected.isEmpty());
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
}

void TMainWindowTest::closingDuringLoadEndsAfterLoad()
{
    TWindowDriver driver;
    bool visibleAfterClose = false;
    QTimer::singleShot(0, &driver.Window(), [&] {
        driver.Window().close();
        visibleAfterClose = driver.Window().isVisible();
    });
    driver.Open(driver.Write(SampleArchive()));
    QVERIFY(visibleAfterClose);
    QVERIFY(driver.Window().ArchiveLoaded());
    QVERIFY(!driver.Window().isVisible());
}

void TMainWindowTest::reopenWithSubfolderSelectedReadsNoReleasedList()
{
    TWindowDriver driver;
    TArchiveBuilder other;
    other.AddStored("only.txt", "x");
    driver.Open(driver.Write(SampleArchive(), "first.arc"));
    driver.SelectFolder("textures/sky");
    driver.Open(driver.Write(other, "second.arc"));
    QCOMPARE(driver.TreeDump(), QStringLiteral("0:second.arc#~1"));
    QCOMPARE(driver.Rows(), QStringList{"only.txt:1"});
}

// However deep an archive's folders go, the tree shows the levels a view can
// lay out, expanded by the load; neither a relayout nor the keys that expand
// nodes go further.
void TMainWindowTest::deepArchiveShowsLevelsViewCanLayOut()
{
    std::string name;
    for (int level = 0; level < 100000; ++level)
        name += "a/";
    TArchiveBuilder archive;
    archive.AddStored(name + "leaf.txt", "x");
    TWindowDriver driver;
    driver.Open(driver.Write(archive));
    QCOMPARE(driver.Status(), QStringLiteral("1 files (folders below level 1,000 are hidden)"));
    QTreeView *tree = driver.Tree();
    const QAbstractItemModel *model = tree->model();
    QModelIndex deepest;
    const auto levels = [&] {
        int shown = 0, expanded = 0;
        for (QModelIndex node = model->index(0, 0); node.isValid();
             node = model->index(0, 0, node)) {
            ++shown;
            expanded += model->hasChildren(node) && tree->isExpanded(node);
            deepest = node;
        }
        return std::pair(shown, expanded);
    };
    const std::pair<int, int> all(TFolderTreeModel::DefaultLevelsShown,
                                  TFolderTreeModel::DefaultLevelsShown - 1);
    QCOMPARE(levels(), all);

    tree->setFocus();
    tree->collapseAll();
    tree->setCurrentIndex(model->index(0, 0));
    QTest::keyClick(tree, Qt::Key_Asterisk);
    QCOMPARE(levels(), all);
    tree->setCurrentIndex(deepest);
    QTest::keyClick(tree, Qt::Key_Right);
    QTest::keyClick(tree, Qt::Key_Plus);
    tree->expandAll();
    tree->doItemsLayout();
    QCOMPARE(levels(), all);
    QVERIFY(!model->hasChildren(deepest));
    // The deepest folders shown say that more lie below them.
    QCOMPARE(deepest.data(Qt::ToolTipRole).toString(),
             QStringLiteral("Folders below level 1,000 are hidden"));
    QVERIFY(deepest.parent().data(Qt::ToolTipRole).isNull());

    // The deepest node is scrolled to, also when the bottom edge cuts its
    // row; back at the root, the view stands at its left edge again.
    QTest::keyClick(tree, Qt::Key_End);
    QCOMPARE(tree->currentIndex(), deepest);
    QVERIFY(InView(*tree, deepest));
    QTest::keyClick(tree, Qt::Key_Home);
    QCOMPARE(tree->horizontalScrollBar()->value(), 0);

    // Folders down to level 1,000, the root being level 1, are all shown:
    // the status text is the plain count.
    for (const auto &[folders, status] :
         {std::pair(999, "1 files"),
          std::pair(1000, "1 files (folders below level 1,000 are hidden)")}) {
        std::string shallower;
        for (int level = 0; level < folders; ++level)
            shallower += "a/";
        TArchiveBuilder exact;
        exact.AddStored(shallower + "leaf.txt", "x");
        driver.Open(driver.Write(exact, QStringLiteral("exact.arc")));
        QCOMPARE(driver.Status(), QString::fromLatin1(status));
    }
}

// The tree's column is as wide as its deepest node, and a node selected is
// scrolled into view sideways; a load shows its root again.
void TMainWindowTest::deepFolderScrollsIntoView()
{
    const QString folder = "data/textures/environment/forest/trees/deciduous/oak/bark/highres/lod0";
    TArchiveBuilder archive;
    archive.AddStored("readme.txt", "x");
    archive.AddStored((folder + "/leaves.dds").toStdString(), "x");
    TWindowDriver driver;
    QVERIFY(QTest::qWaitForWindowExposed(&driver.Window()));
    driver.Open(driver.Write(archive));
    QTreeView *tree = driver.Tree();
    QVERIFY(tree->horizontalScrollBar()->maximum() > 0);

    driver.SelectFolder(folder);
    const QModelIndex lod0 = tree->currentIndex();
    QCOMPARE(lod0.data().toString(), QStringLiteral("lod0"));
    QVERIFY(InView(*tree, lod0));
    const QRect cell = tree->visualRect(lod0);
    QVERIFY(cell.left() + tree->sizeHintForIndex(lod0).width() <=
            tree->columnViewportPosition(0) + tree->columnWidth(0));

    driver.Open(driver.Write(archive, "again.arc"));
    QVERIFY(InView(*tree, tree->currentIndex()));
    QCOMPARE(tree->horizontalScrollBar()->value(), 0);
}

void TMainWindowTest::exitWithoutArchiveClosesSilently()
{
    TWindowDriver driver;
    driver.Action("Beenden1")->trigger();
    QVERIFY(!driver.Window().isVisible());
    QCOMPARE(driver.Seam().RunCount(), 0);
}

void TMainWindowTest::extractArcFileNameKeepsTextAfterLastSlash_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no folder") << QByteArray("readme.txt") << QByteArray("readme.txt");
    QTest::newRow("folders") << QByteArray("textures/sky/clouds.tex") << QByteArray("clouds.tex");
    QTest::newRow("ends in slash") << QByteArray("x/") << QByteArray("");
    QTest::newRow("leading slash") << QByteArray("/x") << QByteArray("x");
    QTest::newRow("backslash is ordinary") << QByteArray("a\\b/c\\d") << QByteArray("c\\d");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
    QTest::newRow("8-bit bytes") << QByteArray("d\xe4ten/\xfc\xff.bin")
                                 << QByteArray("\xfc\xff.bin");
}

void TMainWindowTest::extractArcFileNameKeepsTextAfterLastSlash()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(ExtractArcFileName(name.toStdString())), expected);
}

QTEST_MAIN(TMainWindowTest)
#include "MainTest.moc"
