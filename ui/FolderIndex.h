#pragma once

#include "EventPacer.h"
#include "FileListModel.h"
#include "FolderTreeModel.h"

#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

namespace trovel {

class TArcReader;

// The folder index of the open archive: the folder nodes of the tree and, for
// every folder that holds entries directly, the list of their entry indices in
// increasing order, found through the node's data slot. The index owns the
// lists; the nodes only number them.
class TFolderIndex final
{
public:
    // Events are let run at most once per Pacing while the index is built.
    TFolderIndex(TFolderTreeModel &Tree, std::chrono::milliseconds Pacing);

    // Adds a root named RootText and, below it, the folders of Reader's
    // entries with their lists. Whenever a list is made and events are due,
    // pending events run: a folder selected then lists the entries collected
    // so far.
    TFolderNode Build(const TArcReader &Reader, std::string_view RootText);
    // Releases every list, then removes every node.
    void Clear();
    // True while Clear empties the tree, when the views' selection reports
    // name nodes that are going away.
    bool Clearing() const { return FClearing; }

    // The file list's rows for Folder: each entry of its list by its own name,
    // shown in Reader's encoding, with its size. None for a folder without a
    // list.
    std::vector<TFileRow> RowsOf(TFolderNode Folder, const TArcReader &Reader) const;

private:
    TFolderTreeModel &FTree;
    TEventPacer FPacer;
    std::vector<std::vector<std::int32_t>> FEntryLists;
    bool FClearing = false;
};

} // namespace trovel
