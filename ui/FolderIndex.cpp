#include "FolderIndex.h"

#include "NameText.h"
#include "uArcReader.h"

#include <QScopeGuard>

namespace trovel {

TFolderIndex::TFolderIndex(TFolderTreeModel &Tree, std::chrono::milliseconds Pacing)
    : FTree(Tree), FPacer(Pacing)
{
}

TFolderNode TFolderIndex::Build(const TArcReader &Reader, std::string_view RootText)
{
    FTree.SetNameCodec(Reader.NameCodec());
    const TFolderNode root = FTree.AddRoot(RootText);
    FPacer.Restart();
    const std::int32_t count = Reader.GetFileCount();
    for (std::int32_t index = 0; index < count; ++index) {
        const TFolderNode node = FTree.GetFolderNode(root, Reader.FileNameView(index));
        std::int32_t list = FTree.Data(node);
        if (list == TFolderTreeModel::NoData) {
            list = static_cast<std::int32_t>(FEntryLists.size());
            FEntryLists.emplace_back();
            FTree.SetData(node, list);
            if (FPacer.Due())
                FPacer.RunEvents();
        }
        FEntryLists[list].push_back(index);
    }
    return root;
}

void TFolderIndex::Clear()
{
    FClearing = true;
    const auto cleared = qScopeGuard([this] { FClearing = false; });
    std::vector<std::vector<std::int32_t>>().swap(FEntryLists);
    FTree.Clear();
}

std::vector<TFileRow> TFolderIndex::RowsOf(TFolderNode Folder, const TArcReader &Reader) const
{
    std::vector<TFileRow> rows;
    const std::int32_t list = FTree.Data(Folder);
    if (list == TFolderTreeModel::NoData)
        return rows;
    const std::vector<std::int32_t> &entries = FEntryLists[list];
    rows.reserve(entries.size());
    TArcFileEntry entry{};
    for (const std::int32_t index : entries) {
        Reader.GetFileEntry(index, entry);
        const std::string name = ExtractArcFileName(Reader.FileNameView(index));
        rows.push_back(TFileRow{index, entry.Size, NameText(Reader.NameCodec(), name)});
    }
    return rows;
}

} // namespace trovel
