#pragma once

#include <QSortFilterProxyModel>
#include <QString>

namespace trovel {

// Narrows a QFileSystemModel to one top folder: it keeps that folder, all
// folders below it and the chain of its ancestors (so the view can root itself
// just above the top folder), and drops every other row.
class TFolderTreeFilter final : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFolderTreeFilter)

public:
    explicit TFolderTreeFilter(const QString &TopFolder, QObject *Parent = nullptr);

protected:
    bool filterAcceptsRow(int SourceRow, const QModelIndex &SourceParent) const override;

private:
    QString FTopFolder;
};

} // namespace trovel
