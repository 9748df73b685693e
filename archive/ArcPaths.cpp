#include "ArcPaths.h"

#include "FileLayer.h"

#include <algorithm>
#include <vector>

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

// A path with nothing above it: the file-system root, or on Windows a drive.
bool isRoot(const std::string &path)
{
#ifdef _WIN32
    if (path.size() == 2 && path[1] == ':')
        return true;
#endif
    return path.size() == 1 && isFolderDelimiter(path[0]);
}

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

    // Walk outward to the innermost level that exists, then create the missing
    // ones from the outermost inward. The walk shortens one string in place
    // and only remembers lengths, so a name with a great many levels costs
    // neither stack nor copies of the path.
    const std::string full = path;
    std::vector<std::size_t> missing;
    for (;;) {
        missing.push_back(path.size());
        std::size_t cut = path.size();
        while (cut > 0 && !isFolderDelimiter(path[cut - 1]))
            --cut;
        if (cut == 0)
            break; // a relative path's first level: nothing above it to make
        while (cut > 1 && path[cut - 1] == PathDelim)
            --cut;
        path.resize(cut);
        if (isRoot(path) || DirectoryExists(path))
            break;
    }
    for (auto length = missing.rbegin(); length != missing.rend(); ++length) {
        if (!CreateDir(full.substr(0, *length)))
            return false;
    }
    return true;
}

} // namespace trovel
