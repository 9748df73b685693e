#include "ArcPaths.h"

#include "FileLayer.h"

#include <algorithm>

namespace trovel {

bool LeavesTargetFolder(std::string_view EntryName)
{
    std::size_t start = 0;
    while (start <= EntryName.size()) {
        std::size_t end = start;
        while (end < EntryName.size() && EntryName[end] != '/' && !IsPathDelim(EntryName[end]))
            ++end;
        if (EntryName.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

std::string ToNativeSeparators(std::string EntryName)
{
    std::replace(EntryName.begin(), EntryName.end(), '/', PathDelim);
    return EntryName;
}

std::string ExtractFilePath(const std::string &Path)
{
    std::size_t end = Path.size();
    while (end > 0 && !IsPathDelim(Path[end - 1]))
        --end;
    return Path.substr(0, end);
}

bool ForceDirectories(std::string Path)
{
    // All trailing separators go, not just one: a name that starts with "/"
    // doubles the separator after the target folder, and the walk must still
    // reach the target folder itself.
    while (Path.size() > 1 && IsPathDelim(Path.back()))
        Path.pop_back();
    if (Path.empty() || DirectoryExists(Path))
        return true;

    // Levels are made from the outermost inward, and the first level the file
    // system refuses ends the walk: a name with a great many levels costs work
    // only for the levels that can exist, and the path is built up once.
    std::string level;
    bool creating = false; // below a level just made, nothing exists yet
    std::size_t end = 0;
    while (end < Path.size()) {
        const std::size_t start = end;
        while (end < Path.size() && IsPathDelim(Path[end]))
            ++end;
        while (end < Path.size() && !IsPathDelim(Path[end]))
            ++end;
        level.append(Path, start, end - start);
        if (!creating && DirectoryExists(level))
            continue;
        if (CreateDir(level))
            creating = true;
        else if (!DirectoryExists(level)) // "." or a folder made meanwhile is fine
            return false;
    }
    return true;
}

const TFolder *TTargetFolder::MakeFolder(const std::string &Relative)
{
    if (!FRoot) {
        ForceDirectories(FPath);
        FRoot = TFolder::Open(FPath);
        if (!FRoot)
            return nullptr;
    }
    if (FLast && Relative == FLastRelative)
        return &*FLast;
    FLast.reset();

    std::optional<TFolder> level;
    const TFolder *parent = &*FRoot;
    std::string key;
    std::size_t start = 0;
    while (start < Relative.size()) {
        std::size_t end = start;
        while (end < Relative.size() && !IsPathDelim(Relative[end]))
            ++end;
        const std::string name = Relative.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".")
            continue;
        if (!key.empty())
            key += PathDelim;
        key += name;
        std::optional<TFolder> next = OpenLevel(*parent, name, key);
        if (!next)
            return nullptr;
        level = std::move(next);
        parent = &*level;
    }
    if (!level)
        return &*FRoot;
    FLastRelative = Relative;
    FLast = std::move(level);
    return &*FLast;
}

std::optional<TFolder> TTargetFolder::OpenLevel(const TFolder &Parent, const std::string &Name,
                                                const std::string &Key)
{
    const bool made = FMade.contains(Key);
    if (std::optional<TFolder> folder = Parent.OpenChild(Name, !made))
        return folder;
    if (made)
        return std::nullopt;
    // Missing, or not a folder: creating it tells which.
    if (Parent.CreateChild(Name)) {
        FMade.insert(Key);
        return Parent.OpenChild(Name, false);
    }
    return Parent.OpenChild(Name, true); // made by someone else meanwhile
}

} // namespace trovel
