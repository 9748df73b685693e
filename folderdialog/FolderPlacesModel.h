#pragma once

#include "FolderPlaces.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <map>
#include <memory>

namespace trovel {

// The browse tree: the places at the top level and below each the folders of
// the file system, sorted by name as people read numbers ("2" before "10").
// A folder is listed when the view first expands it or a path through it is
// looked up, and not watched afterwards: the browser is made anew for every
// showing. Hidden folders are left out of a listing, but a folder looked up by
// its path is added to its parent's rows, so a start folder can always be
// selected.
class TFolderPlacesModel final : public QAbstractItemModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFolderPlacesModel)

public:
    // The role of an item's path; QFileSystemModel's number for it, so code
    // that reads paths works with either model.
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit TFolderPlacesModel(const QList<TFolderPlace> &Places, QObject *Parent = nullptr);
    ~TFolderPlacesModel() override;

    QString PathOf(const QModelIndex &Index) const;
    // The item of an existing folder below the place that holds it most
    // closely (the deepest such place); invalid when no place holds it.
    QModelIndex IndexOf(const QString &Path);

    QModelIndex index(int Row, int Column, const QModelIndex &Parent = {}) const override;
    QModelIndex parent(const QModelIndex &Child) const override;
    int rowCount(const QModelIndex &Parent = {}) const override;
    int columnCount(const QModelIndex &Parent = {}) const override;
    bool hasChildren(const QModelIndex &Parent = {}) const override;
    bool canFetchMore(const QModelIndex &Parent) const override;
    void fetchMore(const QModelIndex &Parent) override;
    QVariant data(const QModelIndex &Index, int Role = Qt::DisplayRole) const override;

private:
    struct TNode;

    TNode &NodeOf(const QModelIndex &Index) const;
    QModelIndex IndexOfNode(const TNode &Node) const;
    void List(TNode &Node);
    // Node's folder Name, added when the listing left it out (a hidden
    // folder, or one made since).
    TNode &Child(TNode &Node, const QString &Name);
    static std::unique_ptr<TNode> NewChild(TNode &Parent, const QString &Name);

    std::unique_ptr<TNode> FRoot;
    std::map<TPlaceKind, QIcon> FIcons;
};

} // namespace trovel
