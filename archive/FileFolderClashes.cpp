#include "FileFolderClashes.h"

#include "FileLayer.h"

namespace trovel {

namespace {

// Calls Each for every component of Path that names a level: empty and "."
// components are no levels of their own. The last component comes last.
template <typename TEach>
void ForEachLevel(std::string_view Path, TEach Each)
{
    std::size_t start = 0;
    while (start < Path.size()) {
        std::size_t end = Path.find(PathDelim, start);
        if (end == std::string_view::npos)
            end = Path.size();
        const std::string_view name = Path.substr(start, end - start);
        if (!name.empty() && name != ".")
            Each(name, end == Path.size());
        start = end + 1;
    }
}

} // namespace

TFileFolderClashes::TFileFolderClashes(std::int32_t Count,
                                       const std::function<TEntryPath(std::int32_t)> &PathOf)
    : FParent{NoNode}, FFirstUser{0}, FFirstFile{-1}
{
    // First the folders every entry needs, each noted with the first entry
    // that needs it.
    FFolderOf.assign(static_cast<std::size_t>(Count), NoNode);
    for (std::int32_t index = 0; index < Count; ++index) {
        const TEntryPath entry = PathOf(index);
        if (entry.Skip)
            continue;
        TNode folder = Root;
        ForEachLevel(entry.Relative, [&](std::string_view Name, bool Last) {
            if (!(Last && entry.HasFile))
                folder = Child(folder, Name, index);
        });
        FFolderOf[static_cast<std::size_t>(index)] = folder;
    }
    if (FParent.size() == 1)
        return; // no folders, no clashes

    // Then each file at a folder's path: the first of the two wins.
    bool anyFileFirst = false;
    for (std::int32_t index = 0; index < Count; ++index) {
        const TNode folder = FFolderOf[static_cast<std::size_t>(index)];
        if (folder == NoNode)
            continue;
        const TEntryPath entry = PathOf(index);
        if (!entry.HasFile)
            continue;
        std::string_view leaf;
        ForEachLevel(entry.Relative, [&](std::string_view Name, bool) { leaf = Name; });
        const TNode node = Find(folder, leaf);
        if (node == NoNode)
            continue;
        if (FFirstFile[node] < 0)
            FFirstFile[node] = index;
        if (FFirstUser[node] < FFirstFile[node])
            FBlocked[index] = TBlock::FolderInFilePlace;
        else
            anyFileFirst = true;
    }
    if (!anyFileFirst)
        return;

    // A file that came first blocks its folder and everything below it.
    // Folders are numbered after the folder above them.
    std::vector<bool> blocked(FParent.size(), false);
    for (TNode node = 1; node < FParent.size(); ++node)
        blocked[node] = blocked[FParent[node]] ||
                        (FFirstFile[node] >= 0 && FFirstFile[node] < FFirstUser[node]);
    for (std::int32_t index = 0; index < Count; ++index) {
        const TNode folder = FFolderOf[static_cast<std::size_t>(index)];
        if (folder != NoNode && blocked[folder])
            FBlocked[index] = TBlock::FileInFolderPlace;
    }
}

TFileFolderClashes::TBlock TFileFolderClashes::BlockOf(std::int32_t Index) const
{
    const auto found = FBlocked.find(Index);
    return found == FBlocked.end() ? TBlock::None : found->second;
}

TFileFolderClashes::TNode TFileFolderClashes::Child(TNode Parent, std::string_view Name,
                                                    std::int32_t Index)
{
    if (const TNode found = Find(Parent, Name); found != NoNode)
        return found;
    const auto node = static_cast<TNode>(FParent.size());
    const std::string_view kept = FNames.emplace_back(Name);
    FChildren.emplace(TKey{Parent, kept}, node);
    FParent.push_back(Parent);
    FFirstUser.push_back(Index);
    FFirstFile.push_back(-1);
    return node;
}

TFileFolderClashes::TNode TFileFolderClashes::Find(TNode Parent, std::string_view Name) const
{
    const auto found = FChildren.find(TKey{Parent, Name});
    return found == FChildren.end() ? NoNode : found->second;
}

} // namespace trovel
