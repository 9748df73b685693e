#include "FolderTreeModel.h"

#include "ArcErrors.h"
#include "NameText.h"
#include "PathText.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <functional>
#include <limits>

namespace trovel {

namespace {

// Up to this many siblings a search in order beats hashing the text.
constexpr std::size_t LinearSearchLimit = 8;

// std::vector::reserve takes exactly what it is asked for; growing by doubling
// keeps appending one element at a time linear.
template <typename Vector>
void GrowCapacity(Vector &Items)
{
    if (Items.size() == Items.capacity())
        Items.reserve(std::max<std::size_t>(4, 2 * Items.capacity()));
}

} // namespace

TFolderTreeModel::TFolderTreeModel(QObject *Parent) : QAbstractItemModel(Parent) {}

void TFolderTreeModel::SetLevelsShown(int Levels)
{
    beginResetModel();
    FLevelsShown = std::max(1, Levels);
    endResetModel();
}

void TFolderTreeModel::SetImages(QList<QIcon> Images)
{
    FImages = std::move(Images);
    if (!FNodes.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void TFolderTreeModel::Clear()
{
    beginResetModel();
    std::vector<TNode>().swap(FNodes);
    std::vector<TFolderNode>().swap(FTopLevel);
    std::string().swap(FTexts);
    std::vector<TFolderNode>().swap(FSlots);
    FDeepestLevel = 0;
    endResetModel();
}

// Everything a new node needs is allocated before the view hears of it, so a
// failure leaves the model and its views in step.
void TFolderTreeModel::MakeRoom(std::vector<TFolderNode> &Siblings, std::string_view Text)
{
    if (FNodes.size() >= static_cast<std::size_t>(std::numeric_limits<TFolderNode>::max()) ||
        FTexts.size() + Text.size() > std::numeric_limits<std::uint32_t>::max())
        throw ERangeError();
    GrowCapacity(Siblings);
    GrowCapacity(FNodes);
    FTexts.reserve(FTexts.size() + Text.size());
    if (2 * (FNodes.size() + 1) > FSlots.size())
        GrowIndex();
}

TFolderNode TFolderTreeModel::NewNode(TFolderNode Parent, std::int32_t Row,
                                      std::string_view Text) noexcept
{
    const auto node = static_cast<TFolderNode>(FNodes.size());
    const std::int32_t level = Parent == NoFolderNode ? 1 : FNodes[Parent].Level + 1;
    FNodes.push_back(TNode{Parent,
                           Row,
                           static_cast<std::uint32_t>(FTexts.size()),
                           static_cast<std::uint32_t>(Text.size()),
                           NoData,
                           0,
                           level,
                           {}});
    FTexts.append(Text);
    IndexNode(node);
    FDeepestLevel = std::max(FDeepestLevel, level);
    return node;
}

TFolderNode TFolderTreeModel::AddRoot(std::string_view Text)
{
    MakeRoom(FTopLevel, Text);
    const auto row = static_cast<int>(FTopLevel.size());
    beginInsertRows(QModelIndex(), row, row);
    const TFolderNode node = NewNode(NoFolderNode, row, Text);
    FTopLevel.push_back(node);
    endInsertRows();
    return node;
}

TFolderNode TFolderTreeModel::AddChild(TFolderNode Parent, std::string_view Text)
{
    MakeRoom(FNodes[Parent].Children, Text);
    const int row = ChildCount(Parent);
    // Views hear only of the nodes they see.
    const bool shown = FNodes[Parent].Level < FLevelsShown;
    if (shown)
        beginInsertRows(IndexOf(Parent), row, row);
    const TFolderNode node = NewNode(Parent, row, Text);
    FNodes[Parent].Children.push_back(node);
    if (shown)
        endInsertRows();
    return node;
}

const std::vector<TFolderNode> &TFolderTreeModel::ChildrenOf(TFolderNode Parent) const
{
    return Parent == NoFolderNode ? FTopLevel : FNodes[Parent].Children;
}

int TFolderTreeModel::ShownChildCount(TFolderNode Parent) const
{
    if (Parent != NoFolderNode && FNodes[Parent].Level >= FLevelsShown)
        return 0;
    return static_cast<int>(ChildrenOf(Parent).size());
}

std::string_view TFolderTreeModel::Text(TFolderNode Node) const
{
    const TNode &node = FNodes[Node];
    return std::string_view(FTexts).substr(node.TextOffset, node.TextLength);
}

std::size_t TFolderTreeModel::HashOf(TFolderNode Parent, std::string_view Text) const
{
    const std::size_t hash = std::hash<std::string_view>{}(Text);
    return hash ^ (static_cast<std::size_t>(Parent + 1) * 0x9E3779B97F4A7C15ull);
}

void TFolderTreeModel::IndexNode(TFolderNode Node) noexcept
{
    const std::size_t mask = FSlots.size() - 1;
    std::size_t slot = HashOf(FNodes[Node].Parent, Text(Node)) & mask;
    while (FSlots[slot] != NoFolderNode)
        slot = (slot + 1) & mask;
    FSlots[slot] = Node;
}

void TFolderTreeModel::GrowIndex()
{
    std::vector<TFolderNode> old(std::max<std::size_t>(64, 2 * FSlots.size()), NoFolderNode);
    old.swap(FSlots);
    for (TFolderNode node : old) {
        if (node != NoFolderNode)
            IndexNode(node);
    }
}

TFolderNode TFolderTreeModel::FindFolderNode(TFolderNode Parent, std::string_view Component) const
{
    const std::vector<TFolderNode> &children = ChildrenOf(Parent);
    if (children.size() <= LinearSearchLimit) {
        for (TFolderNode child : children) {
            if (Text(child) == Component)
                return child;
        }
        return NoFolderNode;
    }
    const std::size_t mask = FSlots.size() - 1;
    for (std::size_t slot = HashOf(Parent, Component) & mask; FSlots[slot] != NoFolderNode;
         slot = (slot + 1) & mask) {
        const TFolderNode node = FSlots[slot];
        if (FNodes[node].Parent == Parent && Text(node) == Component)
            return node;
    }
    return NoFolderNode;
}

TFolderNode TFolderTreeModel::GetFolderNode(TFolderNode Root, std::string_view Name)
{
    TFolderNode node = Root;
    std::string_view rest = Name;
    for (;;) {
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos)
            return node;
        const std::string_view component = rest.substr(0, slash);
        rest.remove_prefix(slash + 1);
        const TFolderNode found = FindFolderNode(node, component);
        node = found != NoFolderNode ? found : AddChild(node, component);
    }
}

void TFolderTreeModel::SetImageIndex(TFolderNode Node, int ImageIndex)
{
    if (FNodes[Node].ImageIndex == ImageIndex)
        return;
    FNodes[Node].ImageIndex = ImageIndex;
    if (const QModelIndex at = IndexOf(Node); at.isValid())
        emit dataChanged(at, at, {Qt::DecorationRole});
}

QModelIndex TFolderTreeModel::IndexOf(TFolderNode Node) const
{
    if (Node == NoFolderNode || !IsShown(Node))
        return {};
    return createIndex(FNodes[Node].Row, 0, static_cast<quintptr>(Node));
}

TFolderNode TFolderTreeModel::NodeAt(const QModelIndex &Index) const
{
    if (!Index.isValid() || Index.model() != this)
        return NoFolderNode;
    return static_cast<TFolderNode>(Index.internalId());
}

QModelIndex TFolderTreeModel::index(int Row, int Column, const QModelIndex &Parent) const
{
    if (Column != 0 || Row < 0 || (Parent.isValid() && Parent.column() != 0))
        return {};
    const TFolderNode parent = NodeAt(Parent);
    if (Row >= ShownChildCount(parent))
        return {};
    return createIndex(Row, 0, static_cast<quintptr>(ChildrenOf(parent)[Row]));
}

QModelIndex TFolderTreeModel::parent(const QModelIndex &Index) const
{
    const TFolderNode node = NodeAt(Index);
    if (node == NoFolderNode)
        return {};
    return IndexOf(FNodes[node].Parent);
}

int TFolderTreeModel::rowCount(const QModelIndex &Parent) const
{
    if (Parent.isValid() && Parent.column() != 0)
        return 0;
    return ShownChildCount(NodeAt(Parent));
}

int TFolderTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool TFolderTreeModel::hasChildren(const QModelIndex &Parent) const
{
    return rowCount(Parent) > 0;
}

QVariant TFolderTreeModel::data(const QModelIndex &Index, int Role) const
{
    const TFolderNode node = NodeAt(Index);
    if (node == NoFolderNode)
        return {};
    switch (Role) {
    case Qt::DisplayRole: {
        const std::string_view text = Text(node);
        if (FNodes[node].Parent == NoFolderNode)
            return PathText(text);
        return NameText(FNameCodec, text);
    }
    case Qt::ToolTipRole: {
        const TNode &shown = FNodes[node];
        if (shown.Level == FLevelsShown && !shown.Children.empty()) {
            QString text = HiddenLevelsText(FLevelsShown);
            text[0] = text[0].toUpper();
            return text;
        }
        return {};
    }
    case Qt::DecorationRole: {
        const int image = FNodes[node].ImageIndex;
        if (image >= 0 && image < FImages.size())
            return FImages[image];
        return {};
    }
    default:
        return {};
    }
}

Qt::ItemFlags TFolderTreeModel::flags(const QModelIndex &Index) const
{
    if (!Index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QString HiddenLevelsText(int LevelsShown)
{
    return QStringLiteral("folders below level %1 are hidden")
        .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(LevelsShown));
}

} // namespace trovel
