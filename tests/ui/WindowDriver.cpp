#include "WindowDriver.h"

#include "ArchiveBuilder.h"
#include "FolderTreeModel.h"
#include "StatusBar.h"

#include <QAction>
#include <QFileDialog>
#include <QTreeView>
#include <QtTest>

namespace trovel::testing {

namespace {

TSeenDialog seeDialog(QObject &dialog)
{
    TSeenDialog seen;
    if (auto *widget = qobject_cast<QWidget *>(&dialog))
        seen.Title = widget->windowTitle();
    if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
        seen.Kind = QStringLiteral("message");
        seen.Text = box->text();
        seen.Icon = box->icon();
    } else if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
        seen.Kind = QStringLiteral("file");
        const QStringList selected = files->selectedFiles();
        seen.InitialFile = selected.isEmpty() ? QString() : selected.first();
        seen.NameFilters = files->nameFilters();
        seen.AnyFile = files->fileMode() == QFileDialog::AnyFile;
    }
    return seen;
}

} // namespace

TWindowDriver::TWindowDriver() : FWindow(std::make_unique<TfrmMain>())
{
    Seam().SetNativeDialogs(false);
    Seam().AnswerOthers([this](QObject &dialog) {
        Unexpected.append(seeDialog(dialog));
        return int(QDialog::Rejected);
    });
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

QString TWindowDriver::Write(const ArchiveBuilder &Archive, const QString &FileName)
{
    const QString path = FFolder.filePath(FileName);
    Archive.WriteTo(QFile::encodeName(path).toStdString());
    return path;
}

void TWindowDriver::AnswerFileDialog(const QString &Path)
{
    Seam().AnswerNext([this, Path](QObject &dialog) {
        auto *files = qobject_cast<QFileDialog *>(&dialog);
        if (!files) {
            Unexpected.append(seeDialog(dialog));
            return int(QDialog::Rejected);
        }
        Seen.append(seeDialog(dialog));
        files->selectFile(Path);
        return int(QDialog::Accepted);
    });
}

void TWindowDriver::CancelFileDialog()
{
    Seam().AnswerNext([this](QObject &dialog) {
        Seen.append(seeDialog(dialog));
        return int(QDialog::Rejected);
    });
}

void TWindowDriver::AnswerMessageBox()
{
    Seam().AnswerNext([this](QObject &dialog) {
        Seen.append(seeDialog(dialog));
        return int(QMessageBox::Ok);
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
    std::function<void(const QModelIndex &, int)> walk = [&](const QModelIndex &index, int depth) {
        QString node = QStringLiteral("%1:%2").arg(depth).arg(index.data().toString());
        if (model->hasChildren(index) && Tree()->isExpanded(index))
            node += u'*';
        if (Tree()->currentIndex() == index)
            node += u'#';
        if (folders->ImageIndex(folders->NodeAt(index)) == 1)
            node += QStringLiteral("~1");
        nodes.append(node);
        for (int row = 0; row < model->rowCount(index); ++row)
            walk(model->index(row, 0, index), depth + 1);
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

void TWindowDriver::SelectFolder(const QString &Path)
{
    const QAbstractItemModel *model = Tree()->model();
    QModelIndex index = model->index(0, 0);
    if (!Path.isEmpty()) {
        for (const QString &text : Path.split(u'/')) {
            const QModelIndexList found =
                model->match(model->index(0, 0, index), Qt::DisplayRole, text, 1,
                             Qt::MatchExactly | Qt::MatchCaseSensitive);
            QVERIFY2(!found.isEmpty(), qPrintable(Path));
            index = found.first();
        }
    }
    Tree()->setCurrentIndex(index);
}

} // namespace trovel::testing
