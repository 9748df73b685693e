#include "ArcErrors.h"
#include "ArchiveBuilder.h"
#include "uArcReader.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace trovel;
using trovel::testing::ArchiveBuilder;

namespace {

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(ReaderSmoke, opensListsAndExtracts)
{
    const fs::path dir = fs::temp_directory_path() / "trovel-smoke";
    fs::remove_all(dir);
    fs::create_directories(dir);
    ArchiveBuilder b;
    b.AddStored("a/b/c.txt", "hello");
    b.AddCompressed("x.bin", {"one", "two", std::string(100000, 'z')});
    b.ScatterData(3);
    b.WriteTo(dir / "t.arc");

    TArcReader reader;
    reader.Open(dir / "t.arc");
    ASSERT_EQ(reader.GetFileCount(), 2);
    EXPECT_EQ(reader.GetFileName(0), "a/b/c.txt");
    reader.ExtractAll((dir / "out").string());
    EXPECT_EQ(readFile(dir / "out/a/b/c.txt"), "hello");
    EXPECT_EQ(readFile(dir / "out/x.bin"), b.Expected(1));
    fs::remove_all(dir);
}
