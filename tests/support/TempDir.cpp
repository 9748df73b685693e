#include "TempDir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace trovel::testing {

TTempDir::TTempDir(const fs::path &Base)
{
    // mkdtemp's way, which Windows lacks: a random name, made only when it
    // is new, for the owner alone.
    fs::create_directories(Base);
    std::random_device seed;
    std::mt19937_64 random(seed());
    constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "trovel-";
        for (int i = 0; i < 6; ++i)
            name += Letters[random() % (sizeof Letters - 1)];
        const fs::path path = Base / name;
        std::error_code error;
        if (fs::create_directory(path, error)) {
            fs::permissions(path, fs::perms::owner_all, error);
            FPath = path;
            return;
        }
        if (error)
            break;
    }
    throw std::runtime_error("cannot make a folder in " + Base.string());
}

std::string TTempDir::operator/(const std::string &Name) const
{
    return BytesOf(FPath / PathOf(Name));
}

fs::path PathOf(const std::string &Bytes)
{
    return fs::path(std::u8string(Bytes.begin(), Bytes.end()));
}

std::string BytesOf(const fs::path &Path)
{
    const std::u8string text = Path.u8string();
    return std::string(text.begin(), text.end());
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
        const std::u8string generic = item.path().lexically_relative(Root).generic_u8string();
        std::string relative(generic.begin(), generic.end());
        if (item.is_directory())
            relative += '/';
        tree.insert(relative);
    }
    return tree;
}

} // namespace trovel::testing
