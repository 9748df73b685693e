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
    std::string operator/(const std::string &Name) const { return (FPath / Name).string(); }

private:
    fs::path FPath;
};

// The whole file; empty when it cannot be read.
std::string ReadFile(const fs::path &Path);
// The file made afresh with Bytes.
void WriteFile(const fs::path &Path, const std::string &Bytes);

// Every file and folder below Root, as relative paths; folders end in "/".
// Empty when Root does not exist.
std::set<std::string> TreeOf(const fs::path &Root);

} // namespace trovel::testing
