#include "ArcPaths.h"

#include "FileLayer.h"

#include <algorithm>

namespace trovel {

namespace {

#ifdef _WIN32
constexpr std::string_view Separators = "/\\";
bool isFolderDelimiter(char c)
{
    return c == '/' || c == '\\' || c == ':';
}
#else
constexpr std::string_view Separators = "/";
bool isFolderDelimiter(char c)
{
    return c == '/';
}
#endif

} // namespace

bool LeavesTargetFolder(std::string_view entryName)
{
#ifdef _WIN32
    if (entryName.size() >= 2 && entryName[1] == ':')
        return true;
#endif
    std::size_t start = 0;
    while (start <= entryName.size()) {
        std::size_t end = entryName.find_first_of(Separators, start);
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
    const auto last = std::find_if(path.rbegin(), path.rend(), isFolderDelimiter);
    return std::string(path.begin(), last.base());
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
        while (end < path.size() && isFolderDelimiter(path[end]))
            ++end;
        while (end < path.size() && !isFolderDelimiter(path[end]))
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

} // namespace trovel
