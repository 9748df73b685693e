#include "FolderTreeFilter.h"

#include <QFileSystemModel>

namespace trovel {

namespace {

bool IsSameOrBelow(const QString &Path, const QString &Folder)
{
    if (Folder == u'/')
        return Path.startsWith(u'/');
    return Path == Folder || Path.startsWith(Folder + u'/');
}

} // namespace

TFolderTreeFilter::TFolderTreeFilter(const QString &TopFolder, QObject *Parent)
    : QSortFilterProxyModel(Parent), FTopFolder(TopFolder)
{
}

bool TFolderTreeFilter::filterAcceptsRow(int SourceRow, const QModelIndex &SourceParent) const
{
    const QModelIndex Index = sourceModel()->index(SourceRow, 0, SourceParent);
    const QString Path = Index.data(QFileSystemModel::FilePathRole).toString();
    return IsSameOrBelow(Path, FTopFolder) || IsSameOrBelow(FTopFolder, Path);
}

} // namespace trovel
