#pragma once

#include <filesystem>
#include <set>
#include <string>

// A private folder for a test or a benchmark run, and the files in it.
namespace trovel::testing {

namespace fs = std::filesystem;

// A fresh folder below Base (made when missing), removed with everything in
// it when the object goes.
class TTempDir final
{
public:
    explicit TTempDir(const fs::path &Base = fs::temp_directory_path());
    ~TTempDir();
    TTempDir(const TTempDir &) = delete;
    TTempDir &operator=(const TTempDir &) = delete;

    const fs::path &Path() const { return FPath; }
    // The engine's path of Name in the folder.
    std::string operator/(const std::string &Name) const;

private:
    fs::path FPath;
};

// A path from the engine's bytes (UTF-8 on Windows) and back; the C++
// library would take a plain string in the system's code page there.
fs::path PathOf(const std::string &Bytes);
std::string BytesOf(const fs::path &Path);

// The whole file; empty when it cannot be read. A path given as a string is
// the engine's (UTF-8 on Windows).
std::string ReadFile(const fs::path &Path);
inline std::string ReadFile(const std::string &Path)
{
    return ReadFile(PathOf(Path));
}
inline std::string ReadFile(const char *Path)
{
    return ReadFile(PathOf(Path));
}
// The file made afresh with Bytes.
void WriteFile(const fs::path &Path, const std::string &Bytes);

// Every file and folder below Root, as relative paths with "/" between
// folders; folders end in "/".
// Empty when Root does not exist.
std::set<std::string> TreeOf(const fs::path &Root);

} // namespace trovel::testing
