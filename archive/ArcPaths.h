#pragma once

#include <string>
#include <string_view>

// How entry names become paths below a target folder.
namespace trovel {

// True when the name has a ".." component, or (on Windows) a drive prefix, so
// that appending it to a folder could lead outside that folder.
bool LeavesTargetFolder(std::string_view entryName);

// The entry name with its "/" separators turned into the platform's own.
std::string ToNativeSeparators(std::string entryName);

// Everything up to and including the last separator; empty when there is none.
std::string ExtractFilePath(const std::string &path);

// Makes sure the folder exists, creating missing levels from the outermost
// inward. Reports success; a level that cannot be made shows up later, when the
// file inside it cannot be created.
bool ForceDirectories(std::string path);

} // namespace trovel
