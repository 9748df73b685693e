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
        const int Order = FCollator.compare(A, B);
        return Order != 0 ? Order < 0 : A < B;
    }

private:
    QCollator FCollator;
};

} // namespace

std::unique_ptr<TFolderPlacesModel::TNode> TFolderPlacesModel::NewChild(TNode &Parent,
                                                                        const QString &Name)
{
    auto Child = std::make_unique<TNode>();
    Child->Path = (Parent.Path.endsWith(u'/') ? Parent.Path : Parent.Path + u'/') + Name;
    Child->Name = Name;
    Child->Parent = &Parent;
    return Child;
}

TFolderPlacesModel::TFolderPlacesModel(const QList<TFolderPlace> &Places, QObject *Parent)
    : QAbstractItemModel(Parent), FRoot(std::make_unique<TNode>())
{
    FRoot->Listed = true;
    for (const TFolderPlace &Place : Places) {
        auto Node = std::make_unique<TNode>();
        Node->Path = Place.Path;
        Node->Name = Place.Name;
        Node->Kind = Place.Kind;
        Node->Parent = FRoot.get();
        Node->Row = int(FRoot->Children.size());
        FRoot->Children.push_back(std::move(Node));
    }

    const QFileIconProvider Provider;
    const QIcon Folder = Provider.icon(QAbstractFileIconProvider::Folder);
    const QIcon Drive = Provider.icon(QAbstractFileIconProvider::Drive);
    FIcons = {
        {TPlaceKind::Home, QIcon::fromTheme(QStringLiteral("user-home"), Folder)},
        {TPlaceKind::FileSystem, QIcon::fromTheme(QStringLiteral("drive-harddisk"), Drive)},
        {TPlaceKind::Desktop, Provider.icon(QAbstractFileIconProvider::Desktop)},
        {TPlaceKind::Media, QIcon::fromTheme(QStringLiteral("drive-removable-media"), Drive)},
        {TPlaceKind::Folder, Folder},
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
    QStringList Names = QDir(Node.Path).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (Names.isEmpty())
        return;
    std::sort(Names.begin(), Names.end(), TNameOrder());

    beginInsertRows(IndexOfNode(Node), 0, int(Names.size()) - 1);
    for (const QString &Name : Names) {
        Node.Children.push_back(NewChild(Node, Name));
        Node.Children.back()->Row = int(Node.Children.size()) - 1;
    }
    endInsertRows();
}

TFolderPlacesModel::TNode &TFolderPlacesModel::Child(TNode &Node, const QString &Name)
{
    List(Node);
    const auto Found = std::find_if(Node.Children.begin(), Node.Children.end(),
                                    [&Name](const auto &Child) { return Child->Name == Name; });
    if (Found != Node.Children.end())
        return **Found;

    // Left out of the listing (hidden) or made since: added in its sorted place.
    const TNameOrder Before;
    const auto Place = std::find_if(Node.Children.begin(), Node.Children.end(),
                                    [&](const auto &Child) { return Before(Name, Child->Name); });
    const int Row = int(Place - Node.Children.begin());
    beginInsertRows(IndexOfNode(Node), Row, Row);
    TNode &Result = **Node.Children.insert(Place, NewChild(Node, Name));
    for (std::size_t Index = std::size_t(Row); Index < Node.Children.size(); ++Index)
        Node.Children[Index]->Row = int(Index);
    endInsertRows();
    return Result;
}

QModelIndex TFolderPlacesModel::IndexOf(const QString &Path)
{
    const QString Clean = QDir::cleanPath(Path);
    if (!QDir::isAbsolutePath(Clean) || !QFileInfo(Clean).isDir())
        return {};
    TNode *Place = nullptr;
    for (const auto &Candidate : FRoot->Children) {
        if (IsSameOrBelow(Clean, Candidate->Path) &&
            (!Place || Candidate->Path.size() > Place->Path.size()))
            Place = Candidate.get();
    }
    if (!Place)
        return {};

    TNode *Node = Place;
    const QString Rest = Clean.mid(Place->Path.size());
    for (const QString &Name : Rest.split(u'/', Qt::SkipEmptyParts))
        Node = &Child(*Node, Name);
    return IndexOfNode(*Node);
}

QModelIndex TFolderPlacesModel::index(int Row, int Column, const QModelIndex &Parent) const
{
    const TNode &Node = NodeOf(Parent);
    if (Column != 0 || Parent.column() > 0 || Row < 0 || std::size_t(Row) >= Node.Children.size())
        return {};
    return createIndex(Row, 0, Node.Children[std::size_t(Row)].get());
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
    const TNode &Node = NodeOf(Parent);
    return !Node.Listed || !Node.Children.empty();
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
    const TNode &Node = NodeOf(Index);
    switch (Role) {
    case Qt::DisplayRole:
        return Node.Name;
    case Qt::DecorationRole:
        return FIcons.at(Node.Kind);
    case PathRole:
        return Node.Path;
    default:
        return {};
    }
}

} // namespace trovel
