// Entries whose different stored names decode to one path: the later one
// fails instead of replacing the earlier one's file, in ExtractAll and in
// TestFile alike.
#include "ArcErrors.h"
#include "ArchiveTesting.h"
#include "FileLayer.h"
#include "uArcReader.h"

#include <algorithm>

using namespace trovel;
using namespace trovel::testing;

namespace {

struct TClashCase
{
    const char *Label;
    const char *Codec;
    std::vector<std::string> Names;
    // The decoded path the entries meet at, and the entry whose data it
    // holds after ExtractAll.
    std::string Path;
    int Kept;
    // The entries TestFile refuses; ExtractAll stops at the first of them.
    std::vector<int> Refused;
    friend void PrintTo(const TClashCase &C, std::ostream *Out) { *Out << C.Label; }
};

const TClashCase ClashCases[] = {
    {"932 broken pairs", "932", {"x\x81\xff", "x\x85\x80"}, "x\uFFFD", 0, {1}},
    {"932 broken pairs before ASCII", "932", {"x\x81 y", "x\x82 y"}, "x\uFFFD y", 0, {1}},
    {"936 broken pairs", "936", {"x\x81\xff", "x\xa1\xff"}, "x\uFFFD", 0, {1}},
    {"949 broken pairs", "949", {"\xc9\x41", "\xfe\x41"}, "\uFFFDA", 0, {1}},
    {"932 character two pairs give", "932", {"\xed\x40", "\xfa\x5c"}, "纊", 0, {1}},
    {"950 character two pairs give", "950", {"\xa2\xcc", "\xa4\x51"}, "十", 0, {1}},
    {"in a folder's name", "932", {"d\x81\xff/a", "d\x85\x80/a"}, "d\uFFFD/a", 0, {1}},
    {"ill-formed UTF-8 against U+FFFD itself",
     "utf-8",
     {"x\xff", "x\xef\xbf\xbd"},
     "x\uFFFD",
     0,
     {1}},
    {"same stored name replaces", "932", {"x\x81\xff", "x\x81\xff"}, "x\uFFFD", 1, {}},
    {"first name again after a clash",
     "932",
     {"x\x81\xff", "x\x85\x80", "x\x81\xff"},
     "x\uFFFD",
     0,
     {1, 2}},
    {"raw names stay apart", "raw", {"x\x81\xff", "x\x85\x80"}, "x\x81\xff", 0, {}},
#ifdef _WIN32 // one file there: the earlier is kept, the later refused
    {"names apart only in case",
     "utf-8",
     {"maps/Alpha.map", "maps/alpha.map"},
     "maps/alpha.map",
     0,
     {1}},
    {"folders apart only in case", "utf-8", {"Maps/a", "maps/a"}, "maps/a", 0, {1}},
    {"other case again", "utf-8", {"a", "A", "A"}, "A", 0, {1, 2}},
#else // two files
    {"names apart only in case",
     "utf-8",
     {"maps/Alpha.map", "maps/alpha.map"},
     "maps/alpha.map",
     1,
     {}},
    {"folders apart only in case", "utf-8", {"Maps/a", "maps/a"}, "maps/a", 1, {}},
#endif
};

class TNameClashesTest : public ::testing::TestWithParam<TClashCase>
{
protected:
    void Open(const TClashCase &C)
    {
        TArchiveBuilder b;
        for (std::size_t i = 0; i < C.Names.size(); ++i)
            b.AddStored(C.Names[i], "entry " + std::to_string(i));
        b.WriteTo(FDir / "a.arc");
        FReader.Open(FDir / "a.arc");
        FReader.SetNameCodec(*TNameCodec::FromName(C.Codec));
    }
    std::string Target() const { return FDir / "t"; }

    TLocaleEnvironment FLocale{"C.UTF-8"};
    TTempDir FDir;
    TArcReader FReader;
};

// The message for Path, "/" written as the system's separator.
std::string CreateError(std::string Path)
{
    std::replace(Path.begin(), Path.end(), '/', PathDelim);
    return "Datei " + Path + " kann nicht erstellt werden";
}

} // namespace

TEST_P(TNameClashesTest, laterEntryFailsAndTheFirstFileStays)
{
    const TClashCase &c = GetParam();
#ifdef _WIN32
    if (std::string_view(c.Codec) == "raw")
        GTEST_SKIP() << "a Windows path is text: raw bytes that are no UTF-8 name no file there";
#endif
    Open(c);
    std::vector<int> refused;
    for (int i = 0; i < FReader.GetFileCount(); ++i) {
        try {
            FReader.TestFile(i);
        } catch (const EFCreateError &e) {
            EXPECT_EQ(e.Message(), CreateError(c.Path));
            refused.push_back(i);
        }
    }
    EXPECT_EQ(refused, c.Refused);

    if (c.Refused.empty())
        FReader.ExtractAll(Target());
    else
        ExpectError<EFCreateError>([&] { FReader.ExtractAll(Target()); },
                                   CreateError(Target() + "/" + c.Path));
    EXPECT_EQ(ReadFile(Target() + "/" + c.Path), "entry " + std::to_string(c.Kept));
}

INSTANTIATE_TEST_SUITE_P(NameClashes, TNameClashesTest, ::testing::ValuesIn(ClashCases),
                         TLabelName());

// ExtractAll of chosen entries compares the entries of its own run.
TEST_F(TNameClashesTest, entriesLeftOutOfTheRunDoNotCount)
{
    Open(ClashCases[0]);
    const std::int32_t second[] = {1};
    FReader.ExtractAll(Target(), second);
    EXPECT_EQ(ReadFile(Target() + "/x\uFFFD"), "entry 1");

    const std::int32_t reversed[] = {1, 0};
    ExpectError<EFCreateError>([&] { FReader.ExtractAll(Target(), reversed); },
                               CreateError(Target() + "/x\uFFFD"));
    EXPECT_EQ(ReadFile(Target() + "/x\uFFFD"), "entry 1");
}
