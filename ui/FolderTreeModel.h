#pragma once

#include "NameCodec.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trovel {

// A node of the folder tree, numbered in order of creation.
using TFolderNode = std::int32_t;
inline constexpr TFolderNode NoFolderNode = -1;

// The folder hierarchy of an archive. Each node has a text (a byte string, one
// component of entry names, compared byte for byte) and one data slot that the
// owner of the tree uses for the node's entry list. Siblings stay in the order
// in which they were created; the tree is never sorted. The tree views it as a
// model with one column: a top-level node's text is a file-system name, the
// texts below are parts of entry names, shown decoded with the name codec.
//
// Finding a child by its text: short sibling lists are searched in order; long
// ones are looked up in a hash index over (parent, text), which gives the same
// node because siblings never share a text.
//
// Views see only the nodes of the first LevelsShown levels (the top-level
// nodes are level 1); the tree itself holds every node.
class TFolderTreeModel final : public QAbstractItemModel
{
    Q_OBJECT

public:
    // The data slot of a node that has none.
    static constexpr std::int32_t NoData = -1;
    // A tree view lays out expanded nodes recursively, with about 320 bytes
    // of the stack for each level (Qt's own frames, so a sanitised build of
    // this program takes no more), and the 8 MiB stack of a main thread is
    // used up at some 26,000 levels. A thousand levels take under 4 % of it,
    // whatever expands them (a load, the "*" key, a relayout after a resize),
    // and are more than any real archive has.
    static constexpr int DefaultLevelsShown = 1000;

    explicit TFolderTreeModel(QObject *Parent = nullptr);

    int LevelsShown() const { return FLevelsShown; }
    // At least 1; views are reset.
    void SetLevelsShown(int Levels);
    // Whether views see the node.
    bool IsShown(TFolderNode Node) const { return FNodes[Node].Level <= FLevelsShown; }
    // Whether some node lies below the levels shown. The nodes of the last
    // level shown that have children say so in their tooltip.
    bool HidesLevels() const { return FDeepestLevel > FLevelsShown; }

    // The normal icons by image index. The icon's QIcon::Selected pixmap is
    // what a node shows while it is selected.
    void SetImages(QList<QIcon> Images);
    // How the texts below the top level are shown; set before nodes are added.
    void SetNameCodec(TNameCodec Codec) { FNameCodec = std::move(Codec); }

    // Removes every node.
    void Clear();
    // A new top-level node after the existing ones.
    TFolderNode AddRoot(std::string_view Text);
    // A new node as the last child of Parent.
    TFolderNode AddChild(TFolderNode Parent, std::string_view Text);

    // The child of Parent whose text is Component, or NoFolderNode. Looks at
    // the direct children of Parent only.
    TFolderNode FindFolderNode(TFolderNode Parent, std::string_view Component) const;
    // The node of the folder in which the entry Name lies, below Root: every
    // component before a "/" names a folder, created when missing; the text
    // after the last "/" is the file's own name and makes no node.
    TFolderNode GetFolderNode(TFolderNode Root, std::string_view Name);

    int NodeCount() const { return static_cast<int>(FNodes.size()); }
    std::string_view Text(TFolderNode Node) const;
    TFolderNode ParentOf(TFolderNode Node) const { return FNodes[Node].Parent; }
    int ChildCount(TFolderNode Node) const
    {
        return static_cast<int>(FNodes[Node].Children.size());
    }
    TFolderNode Child(TFolderNode Node, int Position) const
    {
        return FNodes[Node].Children[Position];
    }
    const std::vector<TFolderNode> &TopLevel() const { return FTopLevel; }

    std::int32_t Data(TFolderNode Node) const { return FNodes[Node].Data; }
    void SetData(TFolderNode Node, std::int32_t Data) { FNodes[Node].Data = Data; }

    int ImageIndex(TFolderNode Node) const { return FNodes[Node].ImageIndex; }
    void SetImageIndex(TFolderNode Node, int ImageIndex);

    // Invalid for a node that views do not see.
    QModelIndex IndexOf(TFolderNode Node) const;
    // NoFolderNode for an invalid index.
    TFolderNode NodeAt(const QModelIndex &Index) const;

    QModelIndex index(int Row, int Column, const QModelIndex &Parent = {}) const override;
    QModelIndex parent(const QModelIndex &Index) const override;
    int rowCount(const QModelIndex &Parent = {}) const override;
    int columnCount(const QModelIndex &Parent = {}) const override;
    bool hasChildren(const QModelIndex &Parent = {}) const override;
    QVariant data(const QModelIndex &Index, int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &Index) const override;

private:
    struct TNode
    {
        TFolderNode Parent;
        std::int32_t Row;
        std::uint32_t TextOffset;
        std::uint32_t TextLength;
        std::int32_t Data = NoData;
        std::int32_t ImageIndex = 0;
        std::int32_t Level = 1;
        std::vector<TFolderNode> Children;
    };

    void MakeRoom(std::vector<TFolderNode> &Siblings, std::string_view Text);
    TFolderNode NewNode(TFolderNode Parent, std::int32_t Row, std::string_view Text) noexcept;
    const std::vector<TFolderNode> &ChildrenOf(TFolderNode Parent) const;
    // The children that views see: none below the last level shown.
    int ShownChildCount(TFolderNode Parent) const;
    std::size_t HashOf(TFolderNode Parent, std::string_view Text) const;
    void IndexNode(TFolderNode Node) noexcept;
    void GrowIndex();

    std::vector<TNode> FNodes;
    std::vector<TFolderNode> FTopLevel;
    // All node texts, back to back.
    std::string FTexts;
    // Open addressing over node numbers; NoFolderNode marks a free slot.
    std::vector<TFolderNode> FSlots;
    QList<QIcon> FImages;
    int FLevelsShown = DefaultLevelsShown;
    std::int32_t FDeepestLevel = 0;
    TNameCodec FNameCodec = TNameCodec::Utf8();
};

// What is said where levels are hidden: "folders below level 1,000 are
// hidden", the number grouped in thousands as English writes it.
QString HiddenLevelsText(int LevelsShown);

} // namespace trovel
