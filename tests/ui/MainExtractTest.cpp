// The extraction commands driven as a person would: a file saved through the
// save dialog, all files written below a folder from the folder chooser while
// the progress panel follows the run, cancelled from its button or by closing
// the window. Every dialog is answered through the window's seam, or, where
// the real dialog's own behaviour matters, from the event loop.
#include "ArchiveBuilder.h"
#include "FileDialog.h"
#include "ModalDriver.h"
#include "PathText.h"
#include "TempDir.h"
#include "VeskaFolderDialog.h"
#include "WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QWindow>
#include <QtTest>

#include <set>

using namespace trovel;
using namespace trovel::testing;

namespace {

QString FileLine(const QString &Path, const QByteArray &Bytes)
{
    return Path + u':' + QString::number(Bytes.size()) + u':' +
           QCryptographicHash::hash(Bytes, QCryptographicHash::Md5).toHex().left(8);
}

// A path below the target as the file system tells paths apart: Windows
// ignores case, and the later of two entries that differ in case alone
// replaces the earlier.
QString AsOnDisk(const QString &Path)
{
#ifdef Q_OS_WIN
    return Path.toLower();
#else
    return Path;
#endif
}

// What lies below Root: "folder/" for each folder, "file:size:digest" for
// each file, sorted. Empty when Root does not exist.
QStringList TreeOnDisk(const QString &Root)
{
    QStringList lines;
    for (const std::string &item : TreeOf(PathOf(PathBytes(Root)))) {
        const QString path = AsOnDisk(PathText(item));
        lines.append(path.endsWith(u'/') ? path : FileLine(path, ReadFile(Root + u'/' + path)));
    }
    lines.sort();
    return lines;
}

// What the first Count entries of the archive must leave below the target.
QStringList TreeOfEntries(const TArchiveBuilder &Archive, int Count)
{
    std::set<QString> folders;
    QMap<QString, QByteArray> files;
    for (int i = 0; i < Count; ++i) {
        const QString name = AsOnDisk(QString::fromStdString(Archive.Name(i)));
        for (qsizetype slash = name.indexOf(u'/'); slash >= 0;
             slash = name.indexOf(u'/', slash + 1))
            folders.insert(name.left(slash) + u'/');
        files[name] = QByteArray::fromStdString(Archive.Expected(i));
    }
    QStringList lines(folders.begin(), folders.end());
    for (auto file = files.cbegin(); file != files.cend(); ++file)
        lines.append(FileLine(file.key(), file.value()));
    lines.sort();
    return lines;
}

// File > Open of the archive; what was seen and traced starts afresh.
void OpenArchive(TWindowDriver &Driver, const TArchiveBuilder &Archive)
{
    Driver.Open(Driver.Write(Archive));
    Driver.Trace.clear();
    Driver.Seen.clear();
}

const QStringList RunTrace = {"folder", "panel shown", "panel hidden"};

// Runs Action from the event loop that All files lets run first, at its first
// report (the seam answers the folder chooser without one), as a person's
// click waits in the queue.
template <typename Action>
void PostToRun(TWindowDriver &Driver, Action &&Do)
{
    QMetaObject::invokeMethod(&Driver.Window(), std::forward<Action>(Do), Qt::QueuedConnection);
}

} // namespace

class TExtractTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void extractsLikeAPerson();
    void codePageNamesAreShownAndWrittenDecoded();
    void selectedFileDoesNothingWithoutRowOrName_data();
    void selectedFileDoesNothingWithoutRowOrName();
    void saveDialogRefusesMissingFolder();
    void saveDialogOffersLastFolderThatWorked();
    void selectedFileDrawsWindowBeforeWriting();
    void realSaveDialogConfirmsReplacing();
    void realSaveDialogAsksAgainForMissingFolder();
    void allFilesThroughRealFolderChooser();
    void allFilesWithNothingToDo_data();
    void allFilesWithNothingToDo();
    void allFilesRefusedBeforeTheRun_data();
    void allFilesRefusedBeforeTheRun();
    void cancelStopsBeforeShownEntry_data();
    void cancelStopsBeforeShownEntry();
    void progressLabelKeepsFileNameOfLongEntry_data();
    void progressLabelKeepsFileNameOfLongEntry();
    void dialogsLeaveNoSettingsOnDisk();
    void failedEntryReachesErrorDisplayAfterPanel();
    void failedSelectedFileKeepsItsStatusText();
    void commandsRefusedWhileAllFilesRuns_data();
    void commandsRefusedWhileAllFilesRuns();
    void closingDuringRunStopsItAndCloses_data();
    void closingDuringRunStopsItAndCloses();
    void panelCentredOnOuterSize();

private:
    QTemporaryDir FOut;
    // The user's settings folder of the whole run.
    QTemporaryDir FSettings;
};

void TExtractTest::initTestCase()
{
    // Windows closed by a test must not end the application's event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    // The panel's size and place are laid out for a font of this line height.
    QApplication::setFont(FontOfLineHeight(13));
    QVERIFY(FOut.isValid());
    // Before any dialog is made: the toolkit settles its settings folders
    // once.
    QVERIFY(FSettings.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(FSettings.path()));
}

void TExtractTest::extractsLikeAPerson()
{
    const TArchiveBuilder archive = WritableSampleArchive();
    const QDir out(FOut.filePath("person"));
    QVERIFY(out.mkpath("."));
    TWindowDriver driver;
    TfrmMain &window = driver.Window();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    driver.AnswerFileDialog(driver.Write(archive));
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));

    // One file by Ctrl+X, under the name the save dialog proposes.
    driver.SelectFolder("textures");
    driver.List()->setFocus();
    driver.SelectRow("grass.tex");
    driver.StatusTexts.clear();
    driver.AnswerFileDialog(out.filePath("grass.tex"));
    QTest::keyClick(driver.List(), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(QFileInfo(driver.Seen.last().InitialFile).fileName(), QStringLiteral("grass.tex"));
    QCOMPARE(ReadFile(out.filePath("grass.tex")), QByteArray::fromStdString(archive.Expected(1)));
    QCOMPARE(driver.StatusTexts, (QStringList{"Extracting textures/grass.tex...", "7 files"}));

    // One by a double-click on its row; the dialog proposes the entry's own
    // name in the folder used last, and the file is saved under another name.
    driver.SelectFolder("textures/sky");
    driver.StatusTexts.clear();
    driver.AnswerFileDialog(out.filePath("wolken.tex"));
    driver.DoubleClickList(driver.RowCentre("clouds.tex"));
    QCOMPARE(driver.Seen.last().InitialFile, out.filePath("clouds.tex"));
    QCOMPARE(ReadFile(out.filePath("wolken.tex")), QByteArray("cloudcloud"));
    QCOMPARE(driver.StatusTexts, (QStringList{"Extracting textures/sky/clouds.tex...", "7 files"}));

    // One by Enter on its row, as by a double-click; Enter of the keypad too.
    driver.SelectFolder("");
    driver.List()->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        driver.SelectRow("readme.txt");
        const QString saved = out.filePath(QStringLiteral("readme-%1.txt").arg(int(key)));
        driver.AnswerFileDialog(saved);
        QTest::keyClick(driver.List(), key,
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(QFileInfo(driver.Seen.last().InitialFile).fileName(),
                 QStringLiteral("readme.txt"));
        QCOMPARE(ReadFile(saved), QByteArray::fromStdString(archive.Expected(0)));
    }

    // All files by Ctrl+A into a folder from the chooser; the panel shows the
    // first entry when events first run, and where the run ended at its end.
    QString first;
    PostToRun(driver, [&] {
        first = QStringLiteral("%1 %2/%3")
                    .arg(driver.Label()->text())
                    .arg(driver.Bar()->value())
                    .arg(driver.Bar()->maximum());
    });
    driver.Trace.clear();
    driver.StatusTexts.clear();
    driver.AnswerFolderChooser(out.filePath("all"));
    QTest::keyClick(driver.List(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(driver.Trace, RunTrace);
    const TBrowseInfoFlagSet flags{TBrowseInfoFlags::OnlyFileSystem, TBrowseInfoFlags::ShowPath};
    QCOMPARE(driver.Seen.last().FolderFlags, unsigned(flags.Bits()));
    QCOMPARE(first, QStringLiteral("readme.txt 1/7"));
    QCOMPARE(driver.Label()->text(), QStringLiteral("config.ini"));
    QCOMPARE(driver.Bar()->value(), 7);
    QCOMPARE(TreeOnDisk(out.filePath("all")), TreeOfEntries(archive, 7));
    QVERIFY(driver.StatusTexts.isEmpty());
    QVERIFY(driver.Panel()->isHidden());
    QVERIFY(driver.Unexpected.isEmpty());
}

void TExtractTest::codePageNamesAreShownAndWrittenDecoded()
{
    // Code page 1252, the page of the tests' C.UTF-8 locale.
    TArchiveBuilder archive;
    archive.AddStored("Gel\xe4nde/Stra\337e.tex", "street");
    archive.AddStored("../caf\xe9", "outside");
    const QDir out(FOut.filePath("decoded"));
    QVERIFY(out.mkpath("."));
    TWindowDriver driver;
    OpenArchive(driver, archive);

    driver.SelectFolder(QStringLiteral("Gelände"));
    driver.SelectRow(QStringLiteral("Straße.tex"));
    driver.StatusTexts.clear();
    driver.AnswerFileDialog(out.filePath("Straße.tex"));
    driver.Action("Selectedfile1")->trigger();
    QCOMPARE(QFileInfo(driver.Seen.last().InitialFile).fileName(), QStringLiteral("Straße.tex"));
    QCOMPARE(ReadFile(out.filePath("Straße.tex")), QByteArray("street"));
    QCOMPARE(driver.StatusTexts, (QStringList{"Extracting Gelände/Straße.tex...", "2 files"}));

    QStringList labels;
    PostToRun(driver, [&] { labels.append(driver.Label()->text()); });
    driver.AnswerFolderChooser(out.filePath("all"));
    driver.AnswerMessageBox();
    driver.Action("Allfiles1")->trigger();
    labels.append(driver.Label()->text());
    QCOMPARE(labels, (QStringList{"Gelände/Straße.tex", "../café"}));
    QCOMPARE(driver.Trace.last(),
             QStringLiteral("message:Eintrag ../café liegt außerhalb des Zielordners."));
    QCOMPARE(
        TreeOnDisk(out.filePath("all")),
        (QStringList{AsOnDisk("Gelände/"), FileLine(AsOnDisk("Gelände/Straße.tex"), "street")}));
}

void TExtractTest::selectedFileDoesNothingWithoutRowOrName_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("rowSelected");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("no row, menu") << "menu" << false << 0;
    QTest::newRow("no row, Ctrl+X") << "Ctrl+X" << false << 0;
    QTest::newRow("no row, double-click below the rows") << "double-click" << false << 0;
    QTest::newRow("save dialog cancelled") << "menu" << true << 1;
}

void TExtractTest::selectedFileDoesNothingWithoutRowOrName()
{
    QFETCH(QString, how);
    QFETCH(bool, rowSelected);
    QFETCH(int, dialogs);
    TWindowDriver driver;
    QVERIFY(QTest::qWaitForWindowActive(&driver.Window()));
    OpenArchive(driver, WritableSampleArchive());
    driver.StatusTexts.clear();
    const int runs = driver.Seam().RunCount();
    if (rowSelected) {
        driver.SelectRow("readme.txt");
        driver.CancelFileDialog();
    }
    driver.List()->setFocus();
    if (how == u"Ctrl+X")
        QTest::keyClick(driver.List(), Qt::Key_X, Qt::ControlModifier);
    else if (how == u"double-click")
        driver.DoubleClickList(driver.List()->viewport()->rect().bottomRight() - QPoint(5, 5));
    else
        driver.Action("Selectedfile1")->trigger();
    QCOMPARE(driver.Seam().RunCount() - runs, dialogs);
    QVERIFY(driver.StatusTexts.isEmpty());
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
    QVERIFY(driver.Unexpected.isEmpty());
}

void TExtractTest::saveDialogRefusesMissingFolder()
{
    const QDir out(FOut.filePath("missing-folder"));
    QVERIFY(out.mkpath("."));
    TWindowDriver driver;
    OpenArchive(driver, WritableSampleArchive());
    driver.SelectRow("readme.txt");
    const QString refused = out.filePath("nowhere/readme.txt");
    driver.AnswerFileDialog(refused);
    driver.AnswerMessageBox();
    driver.AnswerFileDialog(out.filePath("readme.txt"));
    driver.Action("Selectedfile1")->trigger();

    QCOMPARE(
        driver.Trace,
        (QStringList{"file", "message:" + MissingFolderText(out.filePath("nowhere")), "file"}));
    QCOMPARE(driver.Seen[1].Icon, QMessageBox::Warning);
    QCOMPARE(ReadFile(out.filePath("readme.txt")), QByteArray("hello"));
    QVERIFY(!QFileInfo::exists(out.filePath("nowhere")));
}

// A folder where the write failed is not where the next save dialog opens.
void TExtractTest::saveDialogOffersLastFolderThatWorked()
{
    const QDir worked(FOut.filePath("worked"));
    const QDir failed(FOut.filePath("failed"));
    QVERIFY(worked.mkpath(".") && failed.mkpath("readme.txt"));
    TWindowDriver driver;
    OpenArchive(driver, WritableSampleArchive());
    driver.SelectRow("readme.txt");
    driver.AnswerFileDialog(worked.filePath("readme.txt"));
    driver.Action("Selectedfile1")->trigger();
    driver.AnswerFileDialog(failed.filePath("readme.txt"));
    driver.AnswerMessageBox();
    driver.Action("Selectedfile1")->trigger();
    driver.CancelFileDialog();
    driver.Action("Selectedfile1")->trigger();
    QCOMPARE(driver.Trace.size(), 4);
    QVERIFY(driver.Trace[2].startsWith(u"message:"));
    QCOMPARE(driver.Seen.last().InitialFile, worked.filePath("readme.txt"));
}

// The write lets no events run: the status text, and the list that the save
// dialog covered, are drawn before it starts, and an event posted before the
// command runs only after it.
void TExtractTest::selectedFileDrawsWindowBeforeWriting()
{
    TWindowDriver driver;
    QVERIFY(QTest::qWaitForWindowExposed(&driver.Window()));
    OpenArchive(driver, WritableSampleArchive());
    driver.SelectFolder("textures");
    driver.SelectRow("grass.tex");
    QCoreApplication::processEvents();
    QStringList painted;
    for (QObject *watched :
         {static_cast<QObject *>(driver.Window().findChild<QLabel *>("StatusText")),
          static_cast<QObject *>(driver.List()->viewport())}) {
        new TEventWatcher(watched, QEvent::Paint, [&, watched](QEvent &) {
            painted.append(watched->objectName() + u':' + driver.Status());
        });
    }
    bool commandReturned = false, postedRanAfter = false;
    QMetaObject::invokeMethod(
        &driver.Window(), [&] { postedRanAfter = commandReturned; }, Qt::QueuedConnection);
    driver.AnswerFileDialog(FOut.filePath("drawn.tex"));
    driver.Action("Selectedfile1")->trigger();
    commandReturned = true;
    const QString extracting = QStringLiteral("Extracting textures/grass.tex...");
    QVERIFY2(painted.contains("StatusText:" + extracting), qPrintable(painted.join(u'|')));
    QVERIFY2(painted.contains("qt_scrollarea_viewport:" + extracting),
             qPrintable(painted.join(u'|')));
    QCoreApplication::processEvents();
    QVERIFY(postedRanAfter);
}

// The confirmation before replacing is the real save dialog's own.
void TExtractTest::realSaveDialogConfirmsReplacing()
{
    const QString target = FOut.filePath("replaced.txt");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    TWindowDriver driver;
    OpenArchive(driver, WritableSampleArchive());
    driver.SelectRow("readme.txt");
    driver.Seam().AnswerOthers({});

    TModalDriver modal;
    QStringList answers;
    const auto confirmation = [](QWidget &Modal) {
        auto *box = qobject_cast<QMessageBox *>(&Modal);
        return box && box->text().contains(u"already exists");
    };
    const auto answer = [&](QMessageBox::StandardButton Button) {
        return [&answers, Button](QWidget &Modal) {
            answers.append(Button == QMessageBox::Yes ? "yes" : "no");
            static_cast<QMessageBox &>(Modal).button(Button)->click();
        };
    };
    modal.When([](QWidget &Modal) { return qobject_cast<QFileDialog *>(&Modal) != nullptr; },
               [&](QWidget &Dialog) {
                   QLineEdit &name = FileNameBox(Dialog);
                   name.setText(target);
                   modal.When(confirmation, answer(QMessageBox::No));
                   QTest::keyClick(&name, Qt::Key_Return);
                   answers.append(Dialog.isVisible() ? "still open" : "closed");
                   modal.When(confirmation, answer(QMessageBox::Yes));
                   QTest::keyClick(&name, Qt::Key_Return);
               });
    driver.Action("Selectedfile1")->trigger();
    QVERIFY2(modal.Failures.isEmpty(), qPrintable(modal.Failures.join(u'\n')));
    QCOMPARE(answers, (QStringList{"no", "still open", "yes"}));
    QCOMPARE(ReadFile(target), QByteArray("hello"));
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
}

void TExtractTest::realSaveDialogAsksAgainForMissingFolder()
{
    const QString refused = FOut.filePath("not-there/readme.txt");
    const QString target = FOut.filePath("there.txt");
    TWindowDriver driver;
    OpenArchive(driver, WritableSampleArchive());
    driver.SelectRow("readme.txt");
    driver.Seam().AnswerOthers({});

    TModalDriver modal;
    QString warning, typedAgain;
    const auto fileDialog = [](QWidget &Modal) {
        return qobject_cast<QFileDialog *>(&Modal) != nullptr;
    };
    const auto typeAndConfirm = [](QWidget &Dialog, const QString &Path) {
        QLineEdit &name = FileNameBox(Dialog);
        name.setText(Path);
        QTest::keyClick(&name, Qt::Key_Return);
    };
    modal.When(fileDialog, [&](QWidget &Dialog) {
        modal.When([](QWidget &Modal) { return qobject_cast<QMessageBox *>(&Modal) != nullptr; },
                   [&](QWidget &Box) {
                       warning = static_cast<QMessageBox &>(Box).text();
                       modal.When(fileDialog, [&](QWidget &Again) {
                           typedAgain = FileNameBox(Again).text();
                           typeAndConfirm(Again, target);
                       });
                       static_cast<QMessageBox &>(Box).defaultButton()->click();
                   });
        typeAndConfirm(Dialog, refused);
    });
    driver.Action("Selectedfile1")->trigger();
    QVERIFY2(modal.Failures.isEmpty(), qPrintable(modal.Failures.join(u'\n')));
    QCOMPARE(warning, MissingFolderText(FOut.filePath("not-there")));
    // The dialog comes back as the user left it.
    QCOMPARE(typedAgain, refused);
    QCOMPARE(ReadFile(target), QByteArray("hello"));
    QVERIFY(!QFileInfo::exists(FOut.filePath("not-there")));
}

// The folder that the real chooser returns is where the files go: the seam
// shows the chooser, and the test confirms the browser once it is up.
void TExtractTest::allFilesThroughRealFolderChooser()
{
    const TArchiveBuilder archive = WritableSampleArchive();
    const QString target = FOut.filePath("chosen");
    QVERIFY(QDir().mkpath(target));
    TWindowDriver driver;
    OpenArchive(driver, archive);

    bool shown = false;
    driver.Seam().AnswerNext([&](QObject &Dialog) {
        auto *chooser = qobject_cast<TVeskaFolderDialog *>(&Dialog);
        if (!chooser)
            return 0;
        chooser->SetOnInitialized([&](TVeskaFolderDialog &, QWidget *Handle) {
            auto *browser = qobject_cast<TBrowserWindow *>(Handle);
            browser->SetSelection(target);
            QMetaObject::invokeMethod(browser, &QDialog::accept, Qt::QueuedConnection);
            shown = true;
        });
        const bool chosen = chooser->Execute();
        chooser->SetOnInitialized({});
        return int(chosen);
    });
    driver.Action("Allfiles1")->trigger();
    QVERIFY(shown);
    QCOMPARE(TreeOnDisk(target), TreeOfEntries(archive, 7));
    QVERIFY(driver.Panel()->isHidden());
}

void TExtractTest::allFilesWithNothingToDo_data()
{
    QTest::addColumn<bool>("emptyArchive");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("trace");
    QTest::newRow("chooser cancelled") << false << "cancel" << QStringList{"folder"};
    QTest::newRow("chooser confirmed without a path") << false << "" << QStringList{"folder"};
    // The panel comes and goes; the target folder is not even made.
    QTest::newRow("archive without entries") << true << "target" << RunTrace;
}

void TExtractTest::allFilesWithNothingToDo()
{
    QFETCH(bool, emptyArchive);
    QFETCH(QString, answer);
    QFETCH(QStringList, trace);
    const QString target = FOut.filePath(QTest::currentDataTag());
    TWindowDriver driver;
    OpenArchive(driver, emptyArchive ? TArchiveBuilder() : WritableSampleArchive());
    if (answer == u"cancel")
        driver.CancelFolderChooser();
    else
        driver.AnswerFolderChooser(answer.isEmpty() ? QString() : target);
    driver.Action("Allfiles1")->trigger();
    QCOMPARE(driver.Trace, trace);
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(driver.Panel()->isHidden());
    QVERIFY(driver.Unexpected.isEmpty());
}

void TExtractTest::allFilesRefusedBeforeTheRun_data()
{
    QTest::addColumn<bool>("claimsTooMuch");
    QTest::addColumn<QString>("refusal");
    // 64 entries share 3,072 part records that claim 4 GiB each: 768 TiB.
    QTest::newRow("no room") << true << "Extracting needs 844424930";
    // 300 entries share one part of 1 MiB that inflates to nothing.
    QTest::newRow("shared data") << false << "The entries share compressed data: 314572800 bytes";
}

// After the folder chooser and before the progress panel: the refusal in the
// plain message box, and no run.
void TExtractTest::allFilesRefusedBeforeTheRun()
{
    QFETCH(bool, claimsTooMuch);
    QFETCH(QString, refusal);
    const int entries = claimsTooMuch ? 64 : 300;
    const std::uint32_t parts = claimsTooMuch ? 3072 : 1;
    TArchiveBuilder archive;
    archive.AddCompressedRaw("e0",
                             claimsTooMuch ? std::vector<TRawPart>(parts, {Deflate(""), 0xFFFFFFFF})
                                           : std::vector<TRawPart>{{EmptyStoredBlocks(1 << 20), 0}},
                             0);
    for (int i = 1; i < entries; ++i) {
        archive.AddCompressedRaw("e" + std::to_string(i), {}, 0);
        archive.OverrideEntry(i, 7, parts);
    }
    const QString target = FOut.filePath(QTest::currentDataTag());
    TWindowDriver driver;
    OpenArchive(driver, archive);
    driver.AnswerFolderChooser(target);
    driver.AnswerMessageBox();
    driver.Action("Allfiles1")->trigger();
    QCOMPARE(driver.Trace.size(), 2);
    QCOMPARE(driver.Trace.first(), QStringLiteral("folder"));
    QVERIFY2(driver.Trace.last().startsWith("message:" + refusal), qPrintable(driver.Trace.last()));
    QCOMPARE(driver.Seen.last().Icon, QMessageBox::NoIcon);
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(driver.Panel()->isHidden());
    QVERIFY(driver.Unexpected.isEmpty());
}

void TExtractTest::cancelStopsBeforeShownEntry_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Abbrechen") << "button";
    QTest::newRow("Esc in the list") << "esc";
}

// A click on "Abbrechen", or Esc, handled while the label shows the first
// entry keeps every entry from being written, and the target folder from
// being made. The next run starts afresh and runs to its end.
void TExtractTest::cancelStopsBeforeShownEntry()
{
    QFETCH(QString, how);
    const TArchiveBuilder archive = WritableSampleArchive();
    const QString first = FOut.filePath("cancelled-" + how);
    const QString second = first + QStringLiteral("-again");
    TWindowDriver driver;
    OpenArchive(driver, archive);
    PostToRun(driver, [&] {
        if (how == u"esc")
            QTest::keyClick(driver.List(), Qt::Key_Escape);
        else
            QTest::mouseClick(driver.CancelButton(), Qt::LeftButton);
    });
    driver.AnswerFolderChooser(first);
    driver.Action("Allfiles1")->trigger();
    QVERIFY(!QFileInfo::exists(first));
    QCOMPARE(driver.Label()->text(), QString::fromStdString(archive.Name(0)));
    QCOMPARE(driver.Bar()->value(), 1);
    QCOMPARE(driver.Trace, RunTrace);

    driver.AnswerFolderChooser(second);
    driver.Action("Allfiles1")->trigger();
    QCOMPARE(TreeOnDisk(second), TreeOfEntries(archive, 7));
    QCOMPARE(driver.Bar()->value(), 7);
}

void TExtractTest::progressLabelKeepsFileNameOfLongEntry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("folders cut, whole ones kept")
        << "data/textures/environment/forest/trees/deciduous/oak/bark/oak_bark.tex"
        << "data/textures/" << QStringLiteral("\u2026/oak_bark.tex");
    QTest::newRow("no folder fits before the name") << QString(60, u'f') + "/oak_bark.tex"
                                                    << "" << QStringLiteral("\u2026/oak_bark.tex");
    // A file name wider than the label keeps its end.
    QTest::newRow("name alone too long") << "data/" + QString(100, u'n') + "_end.tex"
                                         << "data/"
                                         << "_end.tex";
    QTest::newRow("fits") << "maps/a.txt"
                          << "maps/a.txt"
                          << "maps/a.txt";
}

// The label shows the end of a long entry name, the file's own name, within
// the design's width.
void TExtractTest::progressLabelKeepsFileNameOfLongEntry()
{
    QFETCH(QString, name);
    QFETCH(QString, start);
    QFETCH(QString, end);
    TArchiveBuilder archive;
    archive.AddStored(name.toStdString(), "x");
    TWindowDriver driver;
    OpenArchive(driver, archive);
    QString shown;
    PostToRun(driver, [&] { shown = driver.Label()->text(); });
    driver.AnswerFolderChooser(FOut.filePath(QStringLiteral("long-") + QTest::currentDataTag()));
    driver.Action("Allfiles1")->trigger();
    QVERIFY2(shown.startsWith(start) && shown.endsWith(end), qPrintable(shown));
    const QLabel *label = driver.Label();
    QCOMPARE(label->width(), 257);
    QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->contentsRect().width());
    QCOMPARE(shown == name, name.size() < 20);
}

// Open and Save leave nothing of the toolkit's file dialog (history, last
// folder, layout) in the user's settings.
void TExtractTest::dialogsLeaveNoSettingsOnDisk()
{
    const TArchiveBuilder archive = WritableSampleArchive();
    TWindowDriver driver;
    OpenArchive(driver, archive);
    driver.SelectRow("readme.txt");
    driver.AnswerFileDialog(FOut.filePath("settings-readme.txt"));
    driver.Action("Selectedfile1")->trigger();
    QVERIFY(QFileInfo::exists(FOut.filePath("settings-readme.txt")));
    const QString settings = qEnvironmentVariable("XDG_CONFIG_HOME");
    QCOMPARE(settings, FSettings.path());
    QCOMPARE(TreeOnDisk(settings), QStringList());
}

void TExtractTest::failedEntryReachesErrorDisplayAfterPanel()
{
    const TArchiveBuilder archive = WritableSampleArchive();
    const QString target = FOut.filePath("blocked");
    // A folder where entry 3 wants its file.
    QVERIFY(QDir().mkpath(target + "/maps/b.txt"));
    TWindowDriver driver;
    OpenArchive(driver, archive);
    driver.StatusTexts.clear();
    driver.AnswerFolderChooser(target);
    driver.AnswerMessageBox();
    driver.Action("Allfiles1")->trigger();

    const QString message = QStringLiteral("Datei %1 kann nicht erstellt werden.")
                                .arg(QDir::toNativeSeparators(target + "/maps/b.txt"));
    QCOMPARE(driver.Trace, RunTrace + QStringList{"message:" + message});
    QCOMPARE(driver.Seen.last().Icon, QMessageBox::Critical);
    QStringList written = TreeOfEntries(archive, 3) + QStringList{"maps/", "maps/b.txt/"};
    written.sort();
    QCOMPARE(TreeOnDisk(target), written);
    QVERIFY(driver.StatusTexts.isEmpty());
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
}

void TExtractTest::failedSelectedFileKeepsItsStatusText()
{
    const QString target = FOut.filePath("a-folder");
    QVERIFY(QDir().mkpath(target));
    TWindowDriver driver;
    OpenArchive(driver, WritableSampleArchive());
    driver.SelectFolder("textures");
    driver.SelectRow("grass.tex");
    driver.StatusTexts.clear();
    driver.AnswerFileDialog(target);
    driver.AnswerMessageBox();
    driver.Action("Selectedfile1")->trigger();
    QCOMPARE(driver.Trace,
             (QStringList{"file", QStringLiteral("message:Datei %1 kann nicht erstellt werden.")
                                      .arg(QDir::toNativeSeparators(target))}));
    QCOMPARE(driver.StatusTexts, QStringList{"Extracting textures/grass.tex..."});
    QCOMPARE(driver.Status(), QStringLiteral("Extracting textures/grass.tex..."));
}

void TExtractTest::commandsRefusedWhileAllFilesRuns_data()
{
    // A shortcut, or a double-click on the selected row.
    QTest::addColumn<QString>("how");
    QTest::newRow("Ctrl+O") << "Ctrl+O";
    QTest::newRow("Ctrl+X") << "Ctrl+X";
    QTest::newRow("double-click") << "double-click";
    QTest::newRow("Ctrl+A") << "Ctrl+A";
}

// Chosen from a progress report, the commands that would use the reader
// again do nothing and say nothing; the run goes on to its end.
void TExtractTest::commandsRefusedWhileAllFilesRuns()
{
    QFETCH(QString, how);
    const TArchiveBuilder archive = WritableSampleArchive();
    const QString target = FOut.filePath("refused-" + QString(QTest::currentDataTag()));
    TWindowDriver driver;
    QVERIFY(QTest::qWaitForWindowActive(&driver.Window()));
    OpenArchive(driver, archive);
    driver.SelectRow("readme.txt");
    driver.List()->setFocus();
    int dialogsDuringRun = -1;
    PostToRun(driver, [&] {
        const int before = driver.Seam().RunCount();
        if (how.startsWith(u"Ctrl+"))
            QTest::keyClick(driver.List(), how.back().toLatin1(), Qt::ControlModifier);
        else
            driver.DoubleClickList(driver.RowCentre("readme.txt"));
        dialogsDuringRun = driver.Seam().RunCount() - before;
    });
    driver.AnswerFolderChooser(target);
    driver.Action("Allfiles1")->trigger();
    QCOMPARE(dialogsDuringRun, 0);
    QCOMPARE(driver.Trace, RunTrace);
    QCOMPARE(TreeOnDisk(target), TreeOfEntries(archive, 7));
    QCOMPARE(driver.Status(), QStringLiteral("7 files"));
    QVERIFY(driver.Unexpected.isEmpty());
}

void TExtractTest::closingDuringRunStopsItAndCloses_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("File > Exit") << "exit";
    QTest::newRow("the window's close button") << "close button";
}

// Closing asks the run to stop before its next entry; the window closes once
// the run has returned, and with it the program.
void TExtractTest::closingDuringRunStopsItAndCloses()
{
    QFETCH(QString, how);
    const QString target = FOut.filePath("closed-" + how);
    TWindowDriver driver;
    TfrmMain &window = driver.Window();
    OpenArchive(driver, WritableSampleArchive());
    bool openWhileRunning = false;
    PostToRun(driver, [&] {
        if (how == u"exit")
            driver.Action("Beenden1")->trigger();
        else
            window.windowHandle()->close();
        openWhileRunning = window.isVisible();
    });
    driver.AnswerFolderChooser(target);
    driver.Action("Allfiles1")->trigger();
    QVERIFY(openWhileRunning);
    QVERIFY(!window.isVisible());
    QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(driver.Trace, RunTrace);
    QVERIFY(driver.Unexpected.isEmpty());
}

// At an outer size of 744 x 541 the panel stands at 231, 226 in client
// coordinates, whatever frame the platform draws; resizing the window during
// the run does not move it.
void TExtractTest::panelCentredOnOuterSize()
{
    TWindowDriver driver;
    TfrmMain &window = driver.Window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    OpenArchive(driver, WritableSampleArchive());
    const QSize frame = window.frameGeometry().size() - window.size();
    window.resize(QSize(744, 541) - frame);
    QTRY_COMPARE(window.frameGeometry().size(), QSize(744, 541));
    QRect shown, resized;
    PostToRun(driver, [&] {
        shown = driver.Panel()->geometry();
        window.resize(900, 700);
        QTRY_COMPARE(window.size(), QSize(900, 700));
        resized = driver.Panel()->geometry();
    });
    driver.AnswerFolderChooser(FOut.filePath("centred"));
    driver.Action("Allfiles1")->trigger();
    QCOMPARE(shown, QRect(231, 226, 281, 89));
    QCOMPARE(resized, shown);
}

QTEST_MAIN(TExtractTest)
#include "MainExtractTest.moc"
