#pragma once

#include "FileLayer.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

// How entry names become paths below a target folder.
namespace trovel {

// True when the name has a ".." component, so that appending it to a folder
// could lead outside that folder. Components end at "/" and at the
// platform's own separators.
bool LeavesTargetFolder(std::string_view EntryName);

// The entry name with its "/" separators turned into the platform's own.
std::string ToNativeSeparators(std::string EntryName);

// Everything up to and including the last separator; empty when there is none.
std::string ExtractFilePath(const std::string &Path);

// Raises EFCreateError naming Shown when the entry's path below a folder
// (Relative, native separators) cannot be made on this system whatever stands
// there: a file named "." (the folder itself), or a component longer than a
// name may be.
void CheckNameCanBeMade(std::string_view Relative, bool HasFile, const std::string &Shown);

// Makes sure the folder exists, creating missing levels from the outermost
// inward. Reports success; a level that cannot be made shows up later, when the
// file inside it cannot be created.
bool ForceDirectories(std::string Path);

// The target folder of one extraction run and the folders made below it.
// Each level is opened through the one above it, never by its whole path
// again. The target folder is taken as the user named it, links and all.
// Below it, a link in a level's place is followed only when it belongs to the
// user who runs the extraction (his own, such as a folder moved to another
// disk), and never in place of a level the run made itself: that one was
// swapped after it was made.
class TTargetFolder final
{
public:
    explicit TTargetFolder(std::string Path) : FPath(std::move(Path)) {}

    // The folder Relative (native separators; empty for the target itself)
    // below the target, made with its missing levels; the target folder and
    // its own missing levels are made on the first call. Raises EFCreateError
    // naming Shown, with the reason, when a level cannot be made or opened.
    // Valid until the next call.
    const TFolder &MakeFolder(const std::string &Relative, const std::string &Shown);

private:
    TFolder OpenLevel(const TFolder &Parent, const std::string &Name, const std::string &Key,
                      const std::string &Shown);

    std::string FPath;
    std::optional<TFolder> FRoot;
    // The folder of the previous call: entries of one folder usually follow
    // one another.
    std::string FLastRelative;
    std::optional<TFolder> FLast;
    // The levels this run made, as paths below the target with single
    // separators.
    std::unordered_set<std::string> FMade;
};

} // namespace trovel
