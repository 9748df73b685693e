#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace trovel {

// Entries whose files and folders get in each other's way: a file entry "a"
// and an entry "a/b.txt", in either order. Extracted into an empty folder in
// index order, whichever of the two comes second cannot be made: a folder
// cannot be made where a file stands, nor a file where a folder stands. The
// verdict is worked out from the names alone, once for all entries, at a cost
// that grows with the names' length, not with their number squared.
class TFileFolderClashes final
{
public:
    // What blocks an entry.
    enum class TBlock
    {
        None,
        // A file of an earlier entry stands where one of its folders goes.
        FileInFolderPlace,
        // A folder of an earlier entry stands where its file goes.
        FolderInFilePlace
    };

    // The entries' paths below the target, native separators, in index
    // order; entries that Skip names are left out (they make nothing).
    struct TEntryPath
    {
        std::string Relative;
        bool HasFile = false;
        bool Skip = false;
    };
    TFileFolderClashes(std::int32_t Count, const std::function<TEntryPath(std::int32_t)> &PathOf);

    TBlock BlockOf(std::int32_t Index) const;

private:
    using TNode = std::uint32_t;
    static constexpr TNode Root = 0;
    static constexpr TNode NoNode = 0xFFFFFFFF;

    struct TKey
    {
        TNode Parent;
        std::string_view Name;
        friend bool operator==(const TKey &, const TKey &) = default;
    };
    struct TKeyHash
    {
        std::size_t operator()(const TKey &Key) const
        {
            return std::hash<std::string_view>()(Key.Name) * 31 + Key.Parent;
        }
    };

    TNode Child(TNode Parent, std::string_view Name, std::int32_t Index);
    TNode Find(TNode Parent, std::string_view Name) const;

    std::unordered_map<TKey, TNode, TKeyHash> FChildren;
    std::deque<std::string> FNames; // the keys' names, which stay where they are
    // Per folder: the folder above, the first entry that needs it, and the
    // first file entry of the same path (-1: none).
    std::vector<TNode> FParent;
    std::vector<std::int32_t> FFirstUser;
    std::vector<std::int32_t> FFirstFile;
    // Per entry: its deepest folder (NoNode when left out).
    std::vector<TNode> FFolderOf;
    std::unordered_map<std::int32_t, TBlock> FBlocked;
};

} // namespace trovel
