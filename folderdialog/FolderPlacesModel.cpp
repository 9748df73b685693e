#include "FolderPlacesModel.h"

#include <QCollator>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace trovel {

struct TFolderPlacesModel::TNode
{
    QString Path;
    QString Name;
    TPlaceKind Kind = TPlaceKind::Folder;
    TNode *Parent = nullptr;
    int Row = 0;
    bool Listed = false;
    std::vector<std::unique_ptr<TNode>> Children;
};

namespace {

// Folder names as people read them: case ignored, numbers by value; names
// that differ only in case keep a fixed order.
class TNameOrder final
{
public:
    // The C locale compares code points, numbers included; English order
    // stands in for it.
    TNameOrder()
        : FCollator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale())
    {
        FCollator.setNumericMode(true);
        FCollator.setCaseSensitivity(Qt::CaseInsensitive);
    }

    bool operator()(const QString &A, const QString &B) const
    {
        const int order = FCollator.compare(A, B);
        return order != 0 ? order < 0 : A < B;
    }

private:
    QCollator FCollator;
};

} // namespace

std::unique_ptr<TFolderPlacesModel::TNode> TFolderPlacesModel::NewChild(TNode &Parent,
                                                                        const QString &Name)
{
    auto child = std::make_unique<TNode>();
    child->Path = (Parent.Path.endsWith(u'/') ? Parent.Path : Parent.Path + u'/') + Name;
    child->Name = Name;
    child->Parent = &Parent;
    return child;
}

TFolderPlacesModel::TFolderPlacesModel(const QList<TFolderPlace> &Places, QObject *Parent)
    : QAbstractItemModel(Parent), FRoot(std::make_unique<TNode>())
{
    FRoot->Listed = true;
    for (const TFolderPlace &place : Places) {
        auto node = std::make_unique<TNode>();
        node->Path = place.Path;
        node->Name = place.Name;
        node->Kind = place.Kind;
        node->Parent = FRoot.get();
        node->Row = int(FRoot->Children.size());
        FRoot->Children.push_back(std::move(node));
    }

    const QFileIconProvider provider;
    const QIcon folder = provider.icon(QAbstractFileIconProvider::Folder);
    const QIcon drive = provider.icon(QAbstractFileIconProvider::Drive);
    FIcons = {
        {TPlaceKind::Home, QIcon::fromTheme(QStringLiteral("user-home"), folder)},
        {TPlaceKind::FileSystem, QIcon::fromTheme(QStringLiteral("drive-harddisk"), drive)},
        {TPlaceKind::Desktop, provider.icon(QAbstractFileIconProvider::Desktop)},
        {TPlaceKind::Media, QIcon::fromTheme(QStringLiteral("drive-removable-media"), drive)},
        {TPlaceKind::Folder, folder},
    };
}

TFolderPlacesModel::~TFolderPlacesModel() = default;

TFolderPlacesModel::TNode &TFolderPlacesModel::NodeOf(const QModelIndex &Index) const
{
    return Index.isValid() ? *static_cast<TNode *>(Index.internalPointer()) : *FRoot;
}

QModelIndex TFolderPlacesModel::IndexOfNode(const TNode &Node) const
{
    if (&Node == FRoot.get())
        return {};
    return createIndex(Node.Row, 0, &Node);
}

QString TFolderPlacesModel::PathOf(const QModelIndex &Index) const
{
    return Index.isValid() ? NodeOf(Index).Path : QString();
}

void TFolderPlacesModel::List(TNode &Node)
{
    if (Node.Listed)
        return;
    Node.Listed = true;
    QStringList names = QDir(Node.Path).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (names.isEmpty())
        return;
    std::sort(names.begin(), names.end(), TNameOrder());

    beginInsertRows(IndexOfNode(Node), 0, int(names.size()) - 1);
    for (const QString &name : names) {
        Node.Children.push_back(NewChild(Node, name));
        Node.Children.back()->Row = int(Node.Children.size()) - 1;
    }
    endInsertRows();
}

TFolderPlacesModel::TNode &TFolderPlacesModel::Child(TNode &Node, const QString &Name)
{
    List(Node);
    const auto found = std::find_if(Node.Children.begin(), Node.Children.end(),
                                    [&Name](const auto &Child) { return Child->Name == Name; });
    if (found != Node.Children.end())
        return **found;

    // Left out of the listing (hidden) or made since: added in its sorted place.
    const TNameOrder before;
    const auto place = std::find_if(Node.Children.begin(), Node.Children.end(),
                                    [&](const auto &Child) { return before(Name, Child->Name); });
    const int row = int(place - Node.Children.begin());
    beginInsertRows(IndexOfNode(Node), row, row);
    TNode &result = **Node.Children.insert(place, NewChild(Node, Name));
    for (std::size_t index = std::size_t(row); index < Node.Children.size(); ++index)
        Node.Children[index]->Row = int(index);
    endInsertRows();
    return result;
}

QModelIndex TFolderPlacesModel::IndexOf(const QString &Path)
{
    const QString clean = QDir::cleanPath(Path);
    if (!QDir::isAbsolutePath(clean) || !QFileInfo(clean).isDir())
        return {};
    TNode *place = nullptr;
    for (const auto &candidate : FRoot->Children) {
        if (IsSameOrBelow(clean, candidate->Path) &&
            (!place || candidate->Path.size() > place->Path.size()))
            place = candidate.get();
    }
    if (!place)
        return {};

    TNode *node = place;
    const QString rest = clean.mid(place->Path.size());
    for (const QString &name : rest.split(u'/', Qt::SkipEmptyParts))
        node = &Child(*node, name);
    return IndexOfNode(*node);
}

QModelIndex TFolderPlacesModel::index(int Row, int Column, const QModelIndex &Parent) const
{
    const TNode &node = NodeOf(Parent);
    if (Column != 0 || Parent.column() > 0 || Row < 0 || std::size_t(Row) >= node.Children.size())
        return {};
    return createIndex(Row, 0, node.Children[std::size_t(Row)].get());
}

QModelIndex TFolderPlacesModel::parent(const QModelIndex &Child) const
{
    if (!Child.isValid())
        return {};
    return IndexOfNode(*NodeOf(Child).Parent);
}

int TFolderPlacesModel::rowCount(const QModelIndex &Parent) const
{
    if (Parent.column() > 0)
        return 0;
    return int(NodeOf(Parent).Children.size());
}

int TFolderPlacesModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool TFolderPlacesModel::hasChildren(const QModelIndex &Parent) const
{
    if (Parent.column() > 0)
        return false;
    // Until it is listed, every folder may have folders below it.
    const TNode &node = NodeOf(Parent);
    return !node.Listed || !node.Children.empty();
}

bool TFolderPlacesModel::canFetchMore(const QModelIndex &Parent) const
{
    return Parent.isValid() && Parent.column() == 0 && !NodeOf(Parent).Listed;
}

void TFolderPlacesModel::fetchMore(const QModelIndex &Parent)
{
    if (canFetchMore(Parent))
        List(NodeOf(Parent));
}

QVariant TFolderPlacesModel::data(const QModelIndex &Index, int Role) const
{
    if (!Index.isValid())
        return {};
    const TNode &node = NodeOf(Index);
    switch (Role) {
    case Qt::DisplayRole:
        return node.Name;
    case Qt::DecorationRole:
        return FIcons.at(node.Kind);
    case PathRole:
        return node.Path;
    default:
        return {};
    }
}

} // namespace trovel
