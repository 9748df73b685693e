// Writing one entry to a file: stored copies, inflated parts, damaged data,
// and outputs that cannot be written.
#include "ArcErrors.h"
#include "ArchiveTesting.h"
#include "ProcessMemory.h"
#include "uArcReader.h"

#include <cerrno>
#include <unistd.h>
#include <zlib.h>

using namespace trovel;
using namespace trovel::testing;

namespace {

// A zlib-family stream made with explicit deflateInit2 settings.
std::string DeflateWith(const std::string &Data, int WindowBits, const std::string &Dictionary = {},
                        int Level = 6)
{
    z_stream s{};
    deflateInit2(&s, Level, Z_DEFLATED, WindowBits, 8, Z_DEFAULT_STRATEGY);
    if (!Dictionary.empty())
        deflateSetDictionary(&s, reinterpret_cast<const Bytef *>(Dictionary.data()),
                             static_cast<uInt>(Dictionary.size()));
    std::string out(deflateBound(&s, Data.size()) + 32, '\0');
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(Data.data()));
    s.avail_in = static_cast<uInt>(Data.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

std::string SampleText(std::size_t Length)
{
    std::string text;
    for (int i = 0; text.size() < Length; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + " of some sample text\n";
    text.resize(Length);
    return text;
}

class TExtractFileTest : public ::testing::Test
{
protected:
    // Writes the archive, opens it, extracts entry Index to "out"; handed to
    // a caller's sink, the entry must give the same bytes.
    std::string Extract(const TArchiveBuilder &B, int Index)
    {
        B.WriteTo(FDir / "a.arc");
        FReader.Open(FDir / "a.arc");
        FReader.ExtractFile(Index, FDir / "out");
        std::string handed;
        FReader.ExtractTo(Index, [&](const void *Data, std::size_t Length) {
            handed.append(static_cast<const char *>(Data), Length);
        });
        const std::string written = ReadFile(FDir / "out");
        EXPECT_EQ(handed, written) << "ExtractTo";
        return written;
    }

    TTempDir FDir;
    TArcReader FReader;
};

} // namespace

TEST_F(TExtractFileTest, storedEntriesAreCopiedExactly)
{
    const std::string big = SampleText(3 * 61440 + 17); // several copy blocks
    TArchiveBuilder b;
    b.AddStored("empty", "");
    b.AddStored("small", "hello");
    b.AddStored("big", big);
    b.ScatterData(5);
    WriteFile(FDir / "out", std::string(100000, 'x')); // replaced without a question
    for (int i = 0; i < b.EntryCount(); ++i)
        EXPECT_EQ(Extract(b, i), b.Expected(i)) << b.Name(i);
}

TEST_F(TExtractFileTest, otherStorageModesGiveEmptyFiles)
{
    TArchiveBuilder b;
    for (const std::uint32_t mode : {0u, 2u, 4u, 0xFFFFFFFFu})
        b.AddOther("mode" + std::to_string(mode), mode, 999);
    WriteFile(FDir / "out", "previous contents");
    for (int i = 0; i < b.EntryCount(); ++i) {
        EXPECT_EQ(Extract(b, i), "") << b.Name(i);
        TArcFileEntry entry{};
        FReader.GetFileEntry(i, entry);
        EXPECT_EQ(entry.Size, 999u);
    }
}

TEST_F(TExtractFileTest, partsAreJoinedInPartTableOrderWhereverTheyLie)
{
    const std::string text = SampleText(300000);
    for (const unsigned seed : {0u, 1u, 2u, 3u}) {
        TArchiveBuilder b;
        b.AddCompressed("three", {text.substr(0, 1), text.substr(1, 200000), text.substr(200001)});
        b.AddCompressed("with empty part", {"front", "", "back"});
        b.AddCompressed("one", {text}, 9);
        b.AddCompressed("stored level", {text.substr(0, 70000), text.substr(5, 3)}, 0);
        b.AddCompressed("several input chunks", {text + text}, 0);
        b.ScatterData(seed);
        for (int i = 0; i < b.EntryCount(); ++i)
            EXPECT_EQ(Extract(b, i), b.Expected(i)) << b.Name(i) << " seed " << seed;
    }
}

TEST_F(TExtractFileTest, entriesFollowTheirPartRecords)
{
    // Entry 0 takes the last two parts, entry 1 the first: the part table,
    // not the entry order, decides what each entry holds.
    TArchiveBuilder b;
    b.AddCompressed("first", {"A"});
    b.AddCompressed("second", {"B", "C"});
    b.OverrideEntry(0, 7, 2);
    b.OverrideEntry(0, 8, 1);
    b.OverrideEntry(1, 7, 1);
    b.OverrideEntry(1, 8, 0);
    EXPECT_EQ(Extract(b, 0), "BC");
    EXPECT_EQ(Extract(b, 1), "A");
}

TEST_F(TExtractFileTest, extractedSizeIsWhatTheDirectoryClaims)
{
    TArchiveBuilder b;
    b.AddStored("stored", "12345");
    b.AddCompressedRaw("claims", {{Deflate("abc"), 100}, {Deflate("d"), 0xFFFFFFFF}}, 3);
    b.AddOther("other", 9, 50);
    b.AddCompressed("outside", {"x"});
    b.OverrideEntry(3, 7, 3); // three parts from the last one on
    b.WriteTo(FDir / "a.arc");
    FReader.Open(FDir / "a.arc");
    const std::uint64_t expected[] = {5, 100 + 0xFFFFFFFFull, 0, 0};
    for (int i = 0; i < b.EntryCount(); ++i)
        EXPECT_EQ(FReader.GetExtractedSize(i), expected[i]) << b.Name(i);
}

TEST_F(TExtractFileTest, partRangeOutsideTheTableIsRefusedOnExtraction)
{
    for (const auto &[first, count] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {2, 1}, {1, 2}, {0, 3}, {0xFFFFFFFF, 1}, {1, 0xFFFFFFFF}}) {
        TArchiveBuilder b;
        b.AddCompressed("c", {"x", "y"});
        b.OverrideEntry(0, 8, first);
        b.OverrideEntry(0, 7, count);
        b.WriteTo(FDir / "a.arc");
        FReader.Open(FDir / "a.arc");
        EXPECT_EQ(FReader.GetFileName(0), "c"); // lists normally
        ExpectError<ERangeError>([&] { FReader.ExtractFile(0, FDir / "out"); },
                                 "Fehler bei Bereichsprüfung");
        EXPECT_EQ(ReadFile(FDir / "out"), "");
    }
}

TEST_F(TExtractFileTest, partsGiveWhatTheyInflateTo)
{
    // No parts at all, a part shorter than its size, bytes after a stream's
    // end: none of them is damage.
    TArchiveBuilder b;
    b.AddCompressedRaw("no parts", {}, 50);
    b.AddCompressedRaw("short", {{Deflate("abc"), 100}, {Deflate("def"), 3}}, 103);
    b.AddCompressedRaw("tail", {{Deflate("abc") + "garbage", 3}}, 3);
    const char *expected[] = {"", "abcdef", "abc"};
    for (int i = 0; i < b.EntryCount(); ++i)
        EXPECT_EQ(Extract(b, i), expected[i]) << b.Name(i);
}

namespace {

struct TDamagedPart
{
    const char *Label;
    std::function<TRawPart()> Part;
    friend void PrintTo(const TDamagedPart &P, std::ostream *Out) { *Out << P.Label; }
};

const std::string Text = SampleText(50000);

std::string Flipped(std::string Stream, std::size_t At)
{
    Stream.at(At) ^= 0x55;
    return Stream;
}

const TDamagedPart DamagedParts[] = {
    {"bad deflate data",
     [] {
         return TRawPart{Flipped(Deflate(Text), 40), 50000};
     }},
    {"bad Adler-32",
     [] {
         const std::string s = Deflate(Text);
         return TRawPart{Flipped(s, s.size() - 1), 50000};
     }},
    {"preset dictionary",
     [] {
         return TRawPart{DeflateWith(Text, 15, "dictionary"), 50000};
     }},
    {"gzip wrapper",
     [] {
         return TRawPart{DeflateWith(Text, 31), 50000};
     }},
    {"raw deflate",
     [] {
         return TRawPart{DeflateWith(Text, -15), 50000};
     }},
    {"bad Adler-32 after several input chunks",
     [] {
         const std::string s = DeflateWith(SampleText(700000), 15, {}, 0);
         return TRawPart{Flipped(s, s.size() - 1), 700000};
     }},
    {"more output than its size",
     [] {
         return TRawPart{Deflate(Text), 49999};
     }},
    {"size zero with output",
     [] {
         return TRawPart{Deflate("x"), 0};
     }},
    {"truncated",
     [] {
         const std::string s = Deflate(Text);
         return TRawPart{s.substr(0, s.size() - 5), 50000};
     }},
    {"cut inside the header",
     [] {
         return TRawPart{Deflate(Text).substr(0, 1), 50000};
     }},
    {"no bytes at all",
     [] {
         return TRawPart{"", 50000};
     }},
    {"window over 32 KiB",
     [] {
         std::string s = Deflate(Text);
         s[0] = static_cast<char>(0x88); // CINFO 8; 0x88 0x1C passes the header check
         s[1] = 0x1C;
         return TRawPart{s, 50000};
     }},
};

class TDamagedPartTest : public TExtractFileTest, public ::testing::WithParamInterface<TDamagedPart>
{
};

} // namespace

TEST_P(TDamagedPartTest, raisesDataErrorAndKeepsWhatWasWritten)
{
    TArchiveBuilder b;
    const TRawPart damaged = GetParam().Part();
    b.AddCompressedRaw("dir/damaged.bin",
                       {{Deflate("good first part"), 15}, damaged, {Deflate("never written"), 13}},
                       0);
    b.WriteTo(FDir / "a.arc");
    FReader.Open(FDir / "a.arc");
    ExpectError<EDataError>([&] { FReader.ExtractFile(0, FDir / "out"); },
                            "Daten von dir/damaged.bin sind beschädigt");
    const std::string written = ReadFile(FDir / "out");
    EXPECT_EQ(written.substr(0, 15), "good first part");
    EXPECT_LE(written.size(), 15 + damaged.UncompressedSize);
    EXPECT_EQ(written.find("never written"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(ExtractFile, TDamagedPartTest, ::testing::ValuesIn(DamagedParts),
                         TLabelName());

TEST_F(TExtractFileTest, dataBeyondTheFileIsAReadError)
{
    // Each case is refused with the read error; a stored entry keeps the
    // blocks that were copied in full before the file ran out.
    struct TCase
    {
        const char *Label;
        std::function<void(TArchiveBuilder &)> Damage;
        std::size_t Kept;
    };
    const TCase cases[] = {
        {"stored data past the end", [](TArchiveBuilder &B) { B.OverrideEntry(0, 3, 5000000); },
         2 * 61440},
        {"stored offset past the end",
         [](TArchiveBuilder &B) { B.OverrideEntry(0, 1, 0xFFFFFF00); }, 0},
        {"part past the end", [](TArchiveBuilder &B) { B.OverridePart(0, 1, 0x7FFFFFFF); }, 0},
        {"part offset past the end", [](TArchiveBuilder &B) { B.OverridePart(0, 0, 0xFFFFFFF0); },
         0},
    };
    for (const TCase &c : cases) {
        TArchiveBuilder b;
        b.AddStored("s", std::string(150000, 's'));
        b.AddCompressed("c", {"part"});
        c.Damage(b);
        b.WriteTo(FDir / "a.arc");
        FReader.Open(FDir / "a.arc");
        const int index = std::string(c.Label).starts_with("part") ? 1 : 0;
        // The end of the file is no failure of the system's: no reason.
        ExpectError<EReadError>([&] { FReader.ExtractFile(index, FDir / "out"); },
                                "Stream-Lesefehler", "");
        EXPECT_EQ(ReadFile(FDir / "out").size(), c.Kept) << c.Label;
    }
}

TEST_F(TExtractFileTest, shortWritesAreWriteErrors)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device that refuses writes like /dev/full";
#else
    // /dev/full accepts nothing: every write comes back short.
    TArchiveBuilder b;
    b.AddStored("s", "stored");
    b.AddCompressed("c", {"compressed"});
    b.WriteTo(FDir / "a.arc");
    FReader.Open(FDir / "a.arc");
    for (int i = 0; i < 2; ++i)
        ExpectError<EWriteError>([&] { FReader.ExtractFile(i, "/dev/full"); },
                                 "Stream-Schreibfehler", "No space left on device");
#endif
}

TEST_F(TExtractFileTest, failureReportedAtCloseIsAWriteError)
{
    TArchiveBuilder b;
    b.AddStored("d/s", "stored");
    b.AddStored("later", "never");
    b.WriteTo(FDir / "a.arc");
    FReader.Open(FDir / "a.arc");
    const TFailingClose failing;
    ExpectError<EWriteError>([&] { FReader.ExtractFile(0, FDir / "out"); }, "Stream-Schreibfehler",
                             "Input/output error");
    EXPECT_EQ(ReadFile(FDir / "out"), "stored");
    // Written out with the others, the file never takes its name.
    ExpectError<EWriteError>([&] { FReader.ExtractAll(FDir / "t"); }, "Stream-Schreibfehler",
                             "Input/output error");
    EXPECT_EQ(TreeOf(FDir / "t"), (std::set<std::string>{"d/"}));
}

TEST_F(TExtractFileTest, partThatClaimsGigabytesFailsInBoundedMemory)
{
#ifdef _WIN32
    GTEST_SKIP() << "the peak memory is read from /proc";
#else
    // A 4 GiB file that holds almost nothing: its one part claims the hole
    // before the directory, which reads as zeros, no zlib header.
    TArchiveBuilder b;
    b.AddCompressedRaw("huge", {{"", 0xFFFFFFF0}}, 0xFFFFFFF0);
    b.OverridePart(0, 1, 0xFFFFFF00);
    b.WriteSparseTo(FDir / "a.arc", 0xFFFFFF00);
    FReader.Open(FDir / "a.arc");
    ResetPeakMemory();
    const long before = StatusKib("VmRSS");
    ExpectError<EDataError>([&] { FReader.ExtractFile(0, FDir / "out"); },
                            "Daten von huge sind beschädigt");
    EXPECT_LT(StatusKib("VmHWM") - before, 16 * 1024);
#endif
}

TEST_F(TExtractFileTest, writesToAPipe)
{
#ifdef _WIN32
    GTEST_SKIP() << "a pipe is reached by name through /proc";
#else
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    TArchiveBuilder b;
    b.AddCompressed("c", {"through ", "a pipe"});
    b.WriteTo(FDir / "a.arc");
    FReader.Open(FDir / "a.arc");
    FReader.ExtractFile(0, "/proc/self/fd/" + std::to_string(ends[1]));
    ::close(ends[1]);
    char got[64] = {};
    EXPECT_EQ(::read(ends[0], got, sizeof got), 14);
    EXPECT_STREQ(got, "through a pipe");
    ::close(ends[0]);
#endif
}

TEST_F(TExtractFileTest, outputThatCannotBeCreatedIsACreateError)
{
    TArchiveBuilder b;
    b.AddStored("s", "data");
    b.WriteTo(FDir / "a.arc");
    FReader.Open(FDir / "a.arc");
    fs::create_directory(FDir / "folder");
    for (const std::string &name : {FDir / "missing/out", FDir / "folder", FDir / "folder/"})
        ExpectError<EFCreateError>([&] { FReader.ExtractFile(0, name); },
                                   "Datei " + name + " kann nicht erstellt werden");
    EXPECT_EQ(TreeOf(FDir.Path()), (std::set<std::string>{"a.arc", "folder/"}));
}

TEST_F(TExtractFileTest, refusesToOverwriteTheOpenArchive)
{
    TArchiveBuilder b;
    b.AddStored("s", "data");
    const std::string bytes = b.Build();
    WriteFile(FDir / "a.arc", bytes);
    fs::create_hard_link(FDir / "a.arc", FDir / "hard.arc");
    std::vector<std::string> names = {FDir / "a.arc", FDir / "hard.arc",
                                      FDir / "../" + FDir.Path().filename().string() + "/a.arc"};
#ifndef _WIN32 // links there need a privilege, and wine makes none
    fs::create_symlink(FDir / "a.arc", FDir / "soft.arc");
    names.push_back(FDir / "soft.arc");
#endif
    FReader.Open(FDir / "a.arc");
    for (const std::string &name : names) {
        ExpectError<EFCreateError>([&] { FReader.ExtractFile(0, name); },
                                   "Datei " + name + " kann nicht erstellt werden");
        EXPECT_EQ(ReadFile(FDir / "a.arc"), bytes);
    }
    EXPECT_EQ(FReader.GetFileName(0), "s");
}
