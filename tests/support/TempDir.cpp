#include "TempDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace trovel::testing {

TTempDir::TTempDir(const fs::path &Base)
{
    fs::create_directories(Base);
    std::string pattern = (Base / "trovel-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder in " + Base.string());
    FPath = pattern;
}

TTempDir::~TTempDir()
{
    std::error_code ignored;
    fs::remove_all(FPath, ignored);
}

std::string ReadFile(const fs::path &Path)
{
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path &Path, const std::string &Bytes)
{
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << Bytes;
}

std::set<std::string> TreeOf(const fs::path &Root)
{
    std::set<std::string> tree;
    if (!fs::exists(Root))
        return tree;
    for (const auto &item : fs::recursive_directory_iterator(Root)) {
        std::string relative = item.path().lexically_relative(Root).string();
        if (item.is_directory())
            relative += '/';
        tree.insert(relative);
    }
    return tree;
}

} // namespace trovel::testing
