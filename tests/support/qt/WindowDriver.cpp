#include "WindowDriver.h"

#include "ArchiveBuilder.h"
#include "FolderTreeModel.h"
#include "ModalDriver.h"
#include "PathText.h"
#include "StatusBar.h"
#include "TempDir.h"
#include "VeskaFolderDialog.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

namespace trovel::testing {

namespace {

TSeenDialog SeeDialog(QObject &Dialog)
{
    TSeenDialog seen;
    if (auto *widget = qobject_cast<QWidget *>(&Dialog))
        seen.Title = widget->windowTitle();
    if (auto *box = qobject_cast<QMessageBox *>(&Dialog)) {
        seen.Kind = QStringLiteral("message");
        seen.Text = box->text();
        seen.Icon = box->icon();
    } else if (auto *files = qobject_cast<QFileDialog *>(&Dialog)) {
        seen.Kind = QStringLiteral("file");
        const QStringList selected = files->selectedFiles();
        seen.InitialFile = selected.isEmpty() ? QString() : selected.first();
        seen.NameFilters = files->nameFilters();
        seen.AnyFile = files->fileMode() == QFileDialog::AnyFile;
    } else if (auto *chooser = qobject_cast<TVeskaFolderDialog *>(&Dialog)) {
        seen.Kind = QStringLiteral("folder");
        seen.InitialFile = chooser->Folder();
        seen.FolderFlags = chooser->Flags().Bits();
    }
    return seen;
}

} // namespace

QFont FontOfLineHeight(int LineHeight)
{
    QFont font = QApplication::font();
    for (int pixels = 1; pixels <= 4 * LineHeight; ++pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() == LineHeight)
            return font;
    }
    qFatal("no size of %s has a line height of %d", qPrintable(font.family()), LineHeight);
}

QByteArray ReadFile(const QString &Path)
{
    return QByteArray::fromStdString(ReadFile(PathOf(PathBytes(Path))));
}

namespace {

TArchiveBuilder SampleWith(const std::string &LowerCaseA)
{
    TArchiveBuilder archive;
    archive.AddStored("readme.txt", "hello");
    archive.AddStored("textures/grass.tex", std::string(300, 'g'));
    archive.AddCompressed("textures/sky/clouds.tex", {"cloud", "cloud"});
    archive.AddStored("maps/b.txt", "bb");
    archive.AddStored("maps/A.txt", "A");
    archive.AddStored(LowerCaseA, "a");
    archive.AddStored("config.ini", "");
    return archive;
}

} // namespace

TArchiveBuilder SampleArchive()
{
    return SampleWith("maps/a.txt");
}

TArchiveBuilder WritableSampleArchive()
{
#ifdef Q_OS_WIN
    return SampleWith("maps/c.txt");
#else
    return SampleArchive();
#endif
}

TWindowDriver::TWindowDriver() : FWindow(std::make_unique<TfrmMain>())
{
    Seam().SetNativeDialogs(false);
    Seam().AnswerOthers([this](QObject &Dialog) {
        Unexpected.append(SeeDialog(Dialog));
        return int(QDialog::Rejected);
    });
    new TEventWatcher(Panel(), QEvent::Show,
                      [this](QEvent &) { Trace.append(QStringLiteral("panel shown")); });
    new TEventWatcher(Panel(), QEvent::Hide,
                      [this](QEvent &) { Trace.append(QStringLiteral("panel hidden")); });
    QObject::connect(FWindow->findChild<TStatusBar *>("StatusBar1"), &TStatusBar::TextChanged,
                     FWindow.get(), [this](const QString &Text) { StatusTexts.append(Text); });
    FWindow->show();
}

TWindowDriver::~TWindowDriver() = default;

QTreeView *TWindowDriver::Tree() const
{
    return FWindow->findChild<QTreeView *>("tvDirectories");
}

QTreeView *TWindowDriver::List() const
{
    return FWindow->findChild<QTreeView *>("lvFiles");
}

QString TWindowDriver::Status() const
{
    return FWindow->findChild<TStatusBar *>("StatusBar1")->Text();
}

QAction *TWindowDriver::Action(const char *Name) const
{
    return FWindow->findChild<QAction *>(Name);
}

QFrame *TWindowDriver::Panel() const
{
    return FWindow->findChild<QFrame *>("pnExtract");
}

QLabel *TWindowDriver::Label() const
{
    return FWindow->findChild<QLabel *>("lbExtract");
}

QProgressBar *TWindowDriver::Bar() const
{
    return FWindow->findChild<QProgressBar *>("pbProgress");
}

QPushButton *TWindowDriver::CancelButton() const
{
    return FWindow->findChild<QPushButton *>("btCancel");
}

void TWindowDriver::See(QObject &Dialog)
{
    const TSeenDialog seen = SeeDialog(Dialog);
    Seen.append(seen);
    Trace.append(seen.Kind == u"message" ? seen.Kind + u':' + seen.Text : seen.Kind);
}

QString TWindowDriver::Write(const TArchiveBuilder &Archive, const QString &FileName)
{
    const QString path = FFolder.filePath(FileName);
    Archive.WriteTo(QFile::encodeName(path).toStdString());
    return path;
}

void TWindowDriver::AnswerFileDialog(const QString &Path)
{
    Seam().AnswerNext([this, Path](QObject &Dialog) {
        auto *files = qobject_cast<QFileDialog *>(&Dialog);
        if (!files) {
            Unexpected.append(SeeDialog(Dialog));
            return int(QDialog::Rejected);
        }
        See(Dialog);
        files->selectFile(Path);
        // selectFile() takes a path in a folder that does not exist for a name
        // below the dialog's folder; such a name can only be typed.
        if (!QFileInfo(Path).absoluteDir().exists())
            FileNameBox(*files).setText(Path);
        return int(QDialog::Accepted);
    });
}

void TWindowDriver::CancelFileDialog()
{
    Seam().AnswerNext([this](QObject &Dialog) {
        See(Dialog);
        return int(QDialog::Rejected);
    });
}

void TWindowDriver::AnswerMessageBox()
{
    Seam().AnswerNext([this](QObject &Dialog) {
        See(Dialog);
        return int(QMessageBox::Ok);
    });
}

void TWindowDriver::AnswerFolderChooser(const QString &Folder)
{
    Seam().AnswerNext([this, Folder](QObject &Dialog) {
        auto *chooser = qobject_cast<TVeskaFolderDialog *>(&Dialog);
        if (!chooser) {
            Unexpected.append(SeeDialog(Dialog));
            return 0;
        }
        See(Dialog);
        chooser->SetFolder(Folder);
        return 1;
    });
}

void TWindowDriver::CancelFolderChooser()
{
    Seam().AnswerNext([this](QObject &Dialog) {
        See(Dialog);
        return 0;
    });
}

void TWindowDriver::Open(const QString &Path)
{
    AnswerFileDialog(Path);
    Action("ffnen1")->trigger();
}

void TWindowDriver::OpenFailing(const QString &Path)
{
    AnswerFileDialog(Path);
    AnswerMessageBox();
    Action("ffnen1")->trigger();
}

QString TWindowDriver::TreeDump() const
{
    const QAbstractItemModel *model = Tree()->model();
    const auto *folders = static_cast<const TFolderTreeModel *>(model);
    QStringList nodes;
    std::function<void(const QModelIndex &, int)> walk = [&](const QModelIndex &Index, int Depth) {
        QString node = QStringLiteral("%1:%2").arg(Depth).arg(Index.data().toString());
        if (model->hasChildren(Index) && Tree()->isExpanded(Index))
            node += u'*';
        if (Tree()->currentIndex() == Index)
            node += u'#';
        if (folders->ImageIndex(folders->NodeAt(Index)) == 1)
            node += QStringLiteral("~1");
        nodes.append(node);
        for (int row = 0; row < model->rowCount(Index); ++row)
            walk(model->index(row, 0, Index), Depth + 1);
    };
    for (int row = 0; row < model->rowCount(); ++row)
        walk(model->index(row, 0), 0);
    return nodes.join(u'|');
}

QStringList TWindowDriver::Rows() const
{
    const QAbstractItemModel *model = List()->model();
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(model->index(row, 0).data().toString() + u':' +
                    model->index(row, 1).data().toString());
    return rows;
}

QModelIndex TWindowDriver::FolderNode(const QString &Path) const
{
    const QAbstractItemModel *model = Tree()->model();
    QModelIndex index = model->index(0, 0);
    if (!Path.isEmpty()) {
        for (const QString &text : Path.split(u'/')) {
            index = model
                        ->match(model->index(0, 0, index), Qt::DisplayRole, text, 1,
                                Qt::MatchExactly | Qt::MatchCaseSensitive)
                        .value(0);
            if (!index.isValid())
                break;
        }
    }
    return index;
}

void TWindowDriver::SelectFolder(const QString &Path)
{
    const QModelIndex node = FolderNode(Path);
    QVERIFY2(node.isValid(), qPrintable(Path));
    Tree()->setCurrentIndex(node);
}

QModelIndex TWindowDriver::Row(const QString &Caption) const
{
    const QAbstractItemModel *model = List()->model();
    const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, Caption, 1,
                                               Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty())
        QTest::qFail(qPrintable(QStringLiteral("no row ") + Caption), __FILE__, __LINE__);
    return found.value(0);
}

QPoint TWindowDriver::RowCentre(const QString &Caption) const
{
    // A list filled a moment ago lays out its rows when events next run.
    List()->doItemsLayout();
    return List()->visualRect(Row(Caption)).center();
}

void TWindowDriver::SelectRow(const QString &Caption)
{
    List()->setCurrentIndex(Row(Caption));
}

void TWindowDriver::DoubleClickList(const QPoint &At)
{
    QWidget *viewport = List()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, At);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, At);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, At);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, At);
}

} // namespace trovel::testing
