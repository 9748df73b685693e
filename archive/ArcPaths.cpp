#include "ArcPaths.h"

#include "ArcErrors.h"
#include "FileLayer.h"

#include <algorithm>
#include <cerrno>

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

void CheckNameCanBeMade(std::string_view Relative, bool HasFile, const std::string &Shown)
{
    std::size_t start = 0;
    while (start <= Relative.size()) {
        std::size_t end = Relative.find(PathDelim, start);
        if (end == std::string_view::npos)
            end = Relative.size();
        if (NameLength(Relative.substr(start, end - start)) > MaxNameLength)
            throw WithSystemReason(EFCreateError(Shown), ENAMETOOLONG);
        if (HasFile && end == Relative.size() && Relative.substr(start) == ".")
            throw WithSystemReason(EFCreateError(Shown), EISDIR);
        start = end + 1;
    }
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

namespace {

[[noreturn]] void Refuse(const std::string &Shown, std::string Reason)
{
    EFCreateError refused(Shown);
    refused.SetReason(std::move(Reason));
    throw refused;
}

} // namespace

const TFolder &TTargetFolder::MakeFolder(const std::string &Relative, const std::string &Shown)
{
    if (!FRoot) {
        ForceDirectories(FPath);
        TFolderOpening root = TFolder::Open(FPath);
        if (!root.Folder)
            Refuse(Shown, std::move(root.Reason));
        FRoot = std::move(root.Folder);
    }
    if (FLast && Relative == FLastRelative)
        return *FLast;
    FLast.reset();
    if (Relative.empty())
        return *FRoot;
    // Folders that stand already, without a link anywhere, are opened in one
    // step; only the others are walked level by level.
    if (std::optional<TFolder> plain = FRoot->OpenPlainPath(Relative)) {
        FLastRelative = Relative;
        FLast = std::move(plain);
        return *FLast;
    }

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
        level = OpenLevel(*parent, name, key, Shown);
        parent = &*level;
    }
    if (!level)
        return *FRoot;
    FLastRelative = Relative;
    FLast = std::move(level);
    return *FLast;
}

TFolder TTargetFolder::OpenLevel(const TFolder &Parent, const std::string &Name,
                                 const std::string &Key, const std::string &Shown)
{
    const bool made = FMade.contains(Key);
    const TLinkRule links = made ? TLinkRule::Refuse : TLinkRule::FollowOwn;
    TFolderOpening opening = Parent.OpenChild(Name, links);
    if (opening.Missing) {
        std::string refusal = Parent.CreateChild(Name);
        if (refusal.empty()) {
            FMade.insert(Key);
            opening = Parent.OpenChild(Name, TLinkRule::Refuse);
        } else {
            opening = Parent.OpenChild(Name, links); // made by someone else meanwhile
            if (opening.Missing)
                opening.Reason = std::move(refusal);
        }
    }
    if (opening.Folder)
        return std::move(*opening.Folder);
    if (opening.RefusedLink)
        Refuse(Shown, FMade.contains(Key) ? "a link in place of a folder this extraction made"
                                          : "a link that belongs to another user");
    Refuse(Shown, std::move(opening.Reason));
}

} // namespace trovel
