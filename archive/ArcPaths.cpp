#include "ArcPaths.h"

#include "FileLayer.h"

#include <algorithm>

namespace trovel {

bool LeavesTargetFolder(std::string_view entryName)
{
    std::size_t start = 0;
    while (start <= entryName.size()) {
        std::size_t end = entryName.find('/', start);
        if (end == std::string_view::npos)
            end = entryName.size();
        if (entryName.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

std::string ToNativeSeparators(std::string entryName)
{
    std::replace(entryName.begin(), entryName.end(), '/', PathDelim);
    return entryName;
}

std::string ExtractFilePath(const std::string &path)
{
    const std::size_t last = path.rfind(PathDelim);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool ForceDirectories(std::string path)
{
    // All trailing separators go, not just one: a name that starts with "/"
    // doubles the separator after the target folder, and the walk must still
    // reach the target folder itself.
    while (path.size() > 1 && path.back() == PathDelim)
        path.pop_back();
    if (path.empty() || DirectoryExists(path))
        return true;

    // Levels are made from the outermost inward, and the first level the file
    // system refuses ends the walk: a name with a great many levels costs work
    // only for the levels that can exist, and the path is built up once.
    std::string level;
    bool creating = false; // below a level just made, nothing exists yet
    std::size_t end = 0;
    while (end < path.size()) {
        const std::size_t start = end;
        while (end < path.size() && path[end] == PathDelim)
            ++end;
        while (end < path.size() && path[end] != PathDelim)
            ++end;
        level.append(path, start, end - start);
        if (!creating && DirectoryExists(level))
            continue;
        if (CreateDir(level))
            creating = true;
        else if (!DirectoryExists(level)) // "." or a folder made meanwhile is fine
            return false;
    }
    return true;
}

const TFolder *TTargetFolder::MakeFolder(const std::string &relative)
{
    if (!FRoot) {
        ForceDirectories(FPath);
        FRoot = TFolder::Open(FPath);
        if (!FRoot)
            return nullptr;
    }
    if (FLast && relative == FLastRelative)
        return &*FLast;
    FLast.reset();

    std::optional<TFolder> level;
    const TFolder *parent = &*FRoot;
    std::string key;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find(PathDelim, start);
        if (end == std::string::npos)
            end = relative.size();
        const std::string name = relative.substr(start, end - start);
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
    FLastRelative = relative;
    FLast = std::move(level);
    return &*FLast;
}

std::optional<TFolder> TTargetFolder::OpenLevel(const TFolder &parent, const std::string &name,
                                                const std::string &key)
{
    const bool made = FMade.contains(key);
    if (std::optional<TFolder> folder = parent.OpenChild(name, !made))
        return folder;
    if (made)
        return std::nullopt;
    // Missing, or not a folder: creating it tells which.
    if (parent.CreateChild(name)) {
        FMade.insert(key);
        return parent.OpenChild(name, false);
    }
    return parent.OpenChild(name, true); // made by someone else meanwhile
}

} // namespace trovel
