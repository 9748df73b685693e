// Checks before a run: the room the entries take on disk, and entries that
// share their data.
#include "RunCheck.h"
#include "ArchiveTesting.h"
#include "FileLayer.h"
#include "uArcReader.h"

#include <limits>

using namespace trovel;
using namespace trovel::testing;

namespace {

constexpr std::uint64_t Block = 4096;
constexpr std::uint64_t MiB = 1 << 20;

class TRunCheckTest : public ::testing::Test
{
protected:
    void Open(const TArchiveBuilder &Archive)
    {
        Archive.WriteTo(FDir / "a.arc");
        FReader.Open(FDir / "a.arc");
    }
    TRoomNeeded RoomNeeded(const std::string &Folder, std::uint64_t Device = 0)
    {
        const TRunCheck check(FReader);
        return check.RoomNeeded(check.AllEntries(), Folder, Block, Device);
    }

    TTempDir FDir;
    TArcReader FReader;
};

// 131,072 entries that each use the same 65,536 part records of 2^31 bytes:
// 2^64 bytes in all, which is 0 in 64 bits.
void WriteWrappingArchive(const std::string &Path)
{
    TArchiveWriter writer(Path);
    const std::uint32_t stream = writer.AppendData(Deflate(""));
    for (int i = 0; i < 65536; ++i)
        writer.AddPart(stream, 8, 0x80000000);
    for (int i = 0; i < 131072; ++i)
        writer.AddEntry(smCompressed, 0, 0, 65536, 0, "e" + std::to_string(i));
    writer.Finish();
}

struct TRoomCase
{
    const char *Label;
    std::function<void(TArchiveBuilder &)> Fill;
    TRoomNeeded Needed;
};

const TRoomCase RoomCases[] = {
    {"600 files of 1000 bytes take 600 blocks",
     [](TArchiveBuilder &B) {
         for (int i = 0; i < 600; ++i)
             B.AddStored(std::to_string(i), std::string(1000, 'x'));
     },
     {600 * Block, 600}},
    {"each folder counts once, as one block",
     [](TArchiveBuilder &B) {
         B.AddStored("a/b/c.txt", "c");
         B.AddStored("a/b/d.txt", "d");
         B.AddStored("a/e.txt", "e");
         B.AddOther("f/", 0, 0);
         B.AddStored("a//b/./g", "g");
     },
     {7 * Block, 7}},
    {"empty files take no block",
     [](TArchiveBuilder &B) {
         for (int i = 0; i < 10; ++i)
             B.AddStored(std::to_string(i), "");
     },
     {0, 10}},
    {"compressed entries take what their parts claim",
     [](TArchiveBuilder &B) {
         B.AddCompressedRaw("c", {{Deflate("x"), 5000}, {Deflate("y"), 5000}}, 2);
     },
     {3 * Block, 1}},
    {"the run ends at a name outside the target",
     [](TArchiveBuilder &B) {
         B.AddStored("a", "1");
         B.AddStored("../b", "2");
         B.AddStored("c", "3");
     },
     {Block, 1}},
};

class TRoomNeededFor : public TRunCheckTest, public ::testing::WithParamInterface<TRoomCase>
{
};

} // namespace

TEST_P(TRoomNeededFor, aNewTarget)
{
    TArchiveBuilder b;
    GetParam().Fill(b);
    Open(b);
    const TRoomNeeded needed = RoomNeeded(FDir / "new");
    EXPECT_EQ(needed.Bytes, GetParam().Needed.Bytes);
    EXPECT_EQ(needed.Files, GetParam().Needed.Files);
}

INSTANTIATE_TEST_SUITE_P(RunCheck, TRoomNeededFor, ::testing::ValuesIn(RoomCases), TLabelName());

TEST_F(TRunCheckTest, sumsThatWouldWrapStayAtTheTop)
{
    WriteWrappingArchive(FDir / "wrap.arc");
    FReader.Open(FDir / "wrap.arc");
    EXPECT_EQ(RoomNeeded(FDir / "out").Bytes, std::numeric_limits<std::uint64_t>::max());
    const TRunCheck check(FReader);
    try {
        check.CheckRoom(check.AllEntries(), FDir / "out");
        ADD_FAILURE() << "the run was not refused";
    } catch (const ENoRoomError &e) {
        EXPECT_TRUE(
            e.Message().starts_with("extracting needs 18446744073709551615 bytes but only "))
            << e.Message();
    }
    EXPECT_FALSE(fs::exists(FDir / "out"));
}

TEST_F(TRunCheckTest, refusalSaysWhatIsShort)
{
    TFileSystemRoom room;
    room.BlockSize = Block;
    room.FreeBytes = MiB;
    room.FreeFiles = 50;
    ExpectError<ENoRoomError>(
        [&] {
            CheckRoom({600 * Block, 600}, room, "T");
        },
        "extracting needs 2457600 bytes but only 1048576 bytes are free in T "
        "(2.3 MiB needed, 1 MiB free)");
    ExpectError<ENoRoomError>(
        [&] {
            CheckRoom({20000, 20000}, room, "T");
        },
        "extracting needs 20000 new files and folders but only 50 more can be made in T");
    CheckRoom({MiB, 50}, room, "T"); // fits exactly
    room.FreeFiles.reset();          // no fixed number of files
    CheckRoom({MiB, 20000}, room, "T");
}

// Extracting a second time over the run's own output replaces every file:
// each gives its room back once the entry that replaces it is written, and
// only once.
TEST_F(TRunCheckTest, replacedFilesGiveTheirRoomBack)
{
    TArchiveBuilder b;
    b.AddStored("three", std::string(10000, '3'));
    b.AddStored("three", std::string(10000, '3'));
    b.AddStored("d/one", std::string(10000, '1'));
    b.AddStored("d/two", std::string(10000, '2'));
    Open(b);
    const std::string target = FDir / "t";
    FReader.ExtractAll(target);
    const std::uint64_t device = FileSystemRoom(target)->Device;
    constexpr std::uint64_t File = 3 * Block;
    if (StandingAt(target + "/three", false).Bytes != File)
        GTEST_SKIP() << "this file system keeps 10,000 bytes in other than 12,288";

    const TRoomNeeded fresh = RoomNeeded(FDir / "new", device);
    EXPECT_EQ(fresh.Bytes, Block + 4 * File);
    EXPECT_EQ(fresh.Files, 5u);
    // The second "three" takes room while the first one's is given back.
    const TRoomNeeded again = RoomNeeded(target, device);
    EXPECT_EQ(again.Bytes, 2 * File);
    EXPECT_EQ(again.Files, 2u);

    // A file with another name keeps its room; so does one on another device.
    fs::create_hard_link(PathOf(target + "/d/one"), PathOf(target + "/one.link"));
    EXPECT_EQ(RoomNeeded(target, device).Files, 3u);
    EXPECT_EQ(RoomNeeded(target, device + 1).Files, 4u);
}

namespace {

// Entries that use one part (or stored data) of Size bytes lying in a hole of
// a sparse archive, Records part records each.
struct TSharing
{
    const char *Label;
    std::uint32_t Size;
    int Entries;
    int Records;
    bool Stored;
    bool Refused;
};

const TSharing Sharings[] = {
    {"a tiny archive may share much", 1024, 1000, 1, false, false},
    {"sharing up to the floor", MiB, 256, 1, false, false},
    {"sharing past the floor", MiB, 257, 1, false, true},
    {"sharing up to the factor", 64 * MiB, 16, 1, false, false},
    {"sharing past the factor", 64 * MiB, 17, 1, false, true},
    {"one entry of many part records", MiB, 1, 300, false, true},
    {"stored entries sharing their data", MiB, 300, 0, true, true},
};

class TSharedData : public TRunCheckTest, public ::testing::WithParamInterface<TSharing>
{
};

} // namespace

TEST_P(TSharedData, isRefusedPastFloorAndFactor)
{
    const TSharing &c = GetParam();
    TArchiveBuilder b;
    constexpr std::uint32_t DataStart = HeaderSize;
    for (int i = 0; i < c.Entries; ++i) {
        const std::string name = "e" + std::to_string(i);
        if (c.Stored) {
            b.AddStored(name, "");
            b.OverrideEntry(i, 1, DataStart);
            b.OverrideEntry(i, 3, c.Size);
        } else {
            b.AddCompressedRaw(
                name, i == 0 ? std::vector<TRawPart>(c.Records, {"x", 0}) : std::vector<TRawPart>(),
                0);
            b.OverrideEntry(i, 7, c.Records);
        }
    }
    for (int p = 0; p < (c.Stored ? 0 : c.Records); ++p) {
        b.OverridePart(p, 0, DataStart);
        b.OverridePart(p, 1, c.Size);
    }
    b.WriteSparseTo(FDir / "a.arc", c.Size);
    FReader.Open(FDir / "a.arc");
    const TRunCheck check(FReader);
    const std::uint64_t total = std::uint64_t{c.Size} * c.Entries * std::max(c.Records, 1);
    const TDataRead read = check.DataRead(check.AllEntries());
    EXPECT_EQ(c.Stored ? read.Copied : read.Inflated, total);
    if (!c.Refused) {
        check.CheckSharedData(check.AllEntries());
        return;
    }
    const std::uint64_t size = fs::file_size(FDir / "a.arc");
    ExpectError<ESharedDataError>(
        [&] { check.CheckSharedData(check.AllEntries()); },
        std::string("the entries share ") + (c.Stored ? "their data: " : "compressed data: ") +
            std::to_string(total) + " bytes would be " + (c.Stored ? "copied" : "inflated") +
            " from an archive of " + std::to_string(size) + " bytes (" + HumanBytes(total) +
            " from " + HumanBytes(size) + ")");
}

INSTANTIATE_TEST_SUITE_P(RunCheck, TSharedData, ::testing::ValuesIn(Sharings), TLabelName());

TEST_F(TRunCheckTest, dataBeyondTheFileIsNotCounted)
{
    // The parts and stored data past the end fail at once, unread.
    TArchiveBuilder b;
    b.AddCompressedRaw("c0", {{"x", 0}}, 0);
    b.OverridePart(0, 1, 0xFFFFFFF0);
    for (int i = 1; i < 1000; ++i) {
        b.AddCompressedRaw("c" + std::to_string(i), {}, 0);
        b.OverrideEntry(i, 7, 1);
    }
    b.AddStored("s", "");
    b.OverrideEntry(1000, 3, 0xFFFFFFFF);
    Open(b);
    const TRunCheck check(FReader);
    const TDataRead read = check.DataRead(check.AllEntries());
    EXPECT_EQ(read.Inflated, 0u);
    EXPECT_EQ(read.Copied, fs::file_size(FDir / "a.arc") - (HeaderSize + 1)); // after "x"
    check.CheckSharedData(check.AllEntries());
}
