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
std::string deflateWith(const std::string &data, int windowBits, const std::string &dictionary = {},
                        int level = 6)
{
    z_stream s{};
    deflateInit2(&s, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    if (!dictionary.empty())
        deflateSetDictionary(&s, reinterpret_cast<const Bytef *>(dictionary.data()),
                             static_cast<uInt>(dictionary.size()));
    std::string out(deflateBound(&s, data.size()) + 32, '\0');
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

std::string sampleText(std::size_t length)
{
    std::string text;
    for (int i = 0; text.size() < length; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + " of some sample text\n";
    text.resize(length);
    return text;
}

// Every output file fails at close, as on a network file system whose quota
// is found full only then; the data is written all the same.
class FailingClose final
{
public:
    FailingClose()
        : FPrevious(ReplaceCloseCall([](int handle) {
              ::close(handle);
              errno = EIO;
              return -1;
          }))
    {
    }
    ~FailingClose() { ReplaceCloseCall(FPrevious); }
    FailingClose(const FailingClose &) = delete;
    FailingClose &operator=(const FailingClose &) = delete;

private:
    TCloseCall FPrevious;
};

class ExtractFileTest : public ::testing::Test
{
protected:
    // Writes the archive, opens it, extracts entry index to "out"; handed to
    // a caller's sink, the entry must give the same bytes.
    std::string extract(const TArchiveBuilder &b, int index)
    {
        b.WriteTo(dir / "a.arc");
        reader.Open(dir / "a.arc");
        reader.ExtractFile(index, dir / "out");
        std::string handed;
        reader.ExtractTo(index, [&](const void *data, std::size_t length) {
            handed.append(static_cast<const char *>(data), length);
        });
        const std::string written = ReadFile(dir / "out");
        EXPECT_EQ(handed, written) << "ExtractTo";
        return written;
    }

    TTempDir dir;
    TArcReader reader;
};

} // namespace

TEST_F(ExtractFileTest, storedEntriesAreCopiedExactly)
{
    const std::string big = sampleText(3 * 61440 + 17); // several copy blocks
    TArchiveBuilder b;
    b.AddStored("empty", "");
    b.AddStored("small", "hello");
    b.AddStored("big", big);
    b.ScatterData(5);
    WriteFile(dir / "out", std::string(100000, 'x')); // replaced without a question
    for (int i = 0; i < b.EntryCount(); ++i)
        EXPECT_EQ(extract(b, i), b.Expected(i)) << b.Name(i);
}

TEST_F(ExtractFileTest, otherStorageModesGiveEmptyFiles)
{
    TArchiveBuilder b;
    for (const std::uint32_t mode : {0u, 2u, 4u, 0xFFFFFFFFu})
        b.AddOther("mode" + std::to_string(mode), mode, 999);
    WriteFile(dir / "out", "previous contents");
    for (int i = 0; i < b.EntryCount(); ++i) {
        EXPECT_EQ(extract(b, i), "") << b.Name(i);
        TArcFileEntry entry{};
        reader.GetFileEntry(i, entry);
        EXPECT_EQ(entry.Size, 999u);
    }
}

TEST_F(ExtractFileTest, partsAreJoinedInPartTableOrderWhereverTheyLie)
{
    const std::string text = sampleText(300000);
    for (const unsigned seed : {0u, 1u, 2u, 3u}) {
        TArchiveBuilder b;
        b.AddCompressed("three", {text.substr(0, 1), text.substr(1, 200000), text.substr(200001)});
        b.AddCompressed("with empty part", {"front", "", "back"});
        b.AddCompressed("one", {text}, 9);
        b.AddCompressed("stored level", {text.substr(0, 70000), text.substr(5, 3)}, 0);
        b.AddCompressed("several input chunks", {text + text}, 0);
        b.ScatterData(seed);
        for (int i = 0; i < b.EntryCount(); ++i)
            EXPECT_EQ(extract(b, i), b.Expected(i)) << b.Name(i) << " seed " << seed;
    }
}

TEST_F(ExtractFileTest, entriesFollowTheirPartRecords)
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
    EXPECT_EQ(extract(b, 0), "BC");
    EXPECT_EQ(extract(b, 1), "A");
}

TEST_F(ExtractFileTest, extractedSizeIsWhatTheDirectoryClaims)
{
    TArchiveBuilder b;
    b.AddStored("stored", "12345");
    b.AddCompressedRaw("claims", {{Deflate("abc"), 100}, {Deflate("d"), 0xFFFFFFFF}}, 3);
    b.AddOther("other", 9, 50);
    b.AddCompressed("outside", {"x"});
    b.OverrideEntry(3, 7, 3); // three parts from the last one on
    b.WriteTo(dir / "a.arc");
    reader.Open(dir / "a.arc");
    const std::uint64_t expected[] = {5, 100 + 0xFFFFFFFFull, 0, 0};
    for (int i = 0; i < b.EntryCount(); ++i)
        EXPECT_EQ(reader.GetExtractedSize(i), expected[i]) << b.Name(i);
}

TEST_F(ExtractFileTest, partRangeOutsideTheTableIsRefusedOnExtraction)
{
    for (const auto &[first, count] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {2, 1}, {1, 2}, {0, 3}, {0xFFFFFFFF, 1}, {1, 0xFFFFFFFF}}) {
        TArchiveBuilder b;
        b.AddCompressed("c", {"x", "y"});
        b.OverrideEntry(0, 8, first);
        b.OverrideEntry(0, 7, count);
        b.WriteTo(dir / "a.arc");
        reader.Open(dir / "a.arc");
        EXPECT_EQ(reader.GetFileName(0), "c"); // lists normally
        ExpectError<ERangeError>([&] { reader.ExtractFile(0, dir / "out"); },
                                 "Fehler bei Bereichsprüfung");
        EXPECT_EQ(ReadFile(dir / "out"), "");
    }
}

TEST_F(ExtractFileTest, partsGiveWhatTheyInflateTo)
{
    // No parts at all, a part shorter than its size, bytes after a stream's
    // end: none of them is damage.
    TArchiveBuilder b;
    b.AddCompressedRaw("no parts", {}, 50);
    b.AddCompressedRaw("short", {{Deflate("abc"), 100}, {Deflate("def"), 3}}, 103);
    b.AddCompressedRaw("tail", {{Deflate("abc") + "garbage", 3}}, 3);
    const char *expected[] = {"", "abcdef", "abc"};
    for (int i = 0; i < b.EntryCount(); ++i)
        EXPECT_EQ(extract(b, i), expected[i]) << b.Name(i);
}

namespace {

struct DamagedPart
{
    const char *label;
    std::function<TRawPart()> part;
    friend void PrintTo(const DamagedPart &p, std::ostream *out) { *out << p.label; }
};

const std::string Text = sampleText(50000);

std::string flipped(std::string stream, std::size_t at)
{
    stream.at(at) ^= 0x55;
    return stream;
}

const DamagedPart DamagedParts[] = {
    {"bad deflate data",
     [] {
         return TRawPart{flipped(Deflate(Text), 40), 50000};
     }},
    {"bad Adler-32",
     [] {
         const std::string s = Deflate(Text);
         return TRawPart{flipped(s, s.size() - 1), 50000};
     }},
    {"preset dictionary",
     [] {
         return TRawPart{deflateWith(Text, 15, "dictionary"), 50000};
     }},
    {"gzip wrapper",
     [] {
         return TRawPart{deflateWith(Text, 31), 50000};
     }},
    {"raw deflate",
     [] {
         return TRawPart{deflateWith(Text, -15), 50000};
     }},
    {"bad Adler-32 after several input chunks",
     [] {
         const std::string s = deflateWith(sampleText(700000), 15, {}, 0);
         return TRawPart{flipped(s, s.size() - 1), 700000};
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

class DamagedPartTest : public ExtractFileTest, public ::testing::WithParamInterface<DamagedPart>
{
};

} // namespace

TEST_P(DamagedPartTest, raisesDataErrorAndKeepsWhatWasWritten)
{
    TArchiveBuilder b;
    const TRawPart damaged = GetParam().part();
    b.AddCompressedRaw("dir/damaged.bin",
                       {{Deflate("good first part"), 15}, damaged, {Deflate("never written"), 13}},
                       0);
    b.WriteTo(dir / "a.arc");
    reader.Open(dir / "a.arc");
    ExpectError<EDataError>([&] { reader.ExtractFile(0, dir / "out"); },
                            "Daten von dir/damaged.bin sind beschädigt");
    const std::string written = ReadFile(dir / "out");
    EXPECT_EQ(written.substr(0, 15), "good first part");
    EXPECT_LE(written.size(), 15 + damaged.UncompressedSize);
    EXPECT_EQ(written.find("never written"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(ExtractFile, DamagedPartTest, ::testing::ValuesIn(DamagedParts),
                         TLabelName());

TEST_F(ExtractFileTest, dataBeyondTheFileIsAReadError)
{
    // Each case is refused with the read error; a stored entry keeps the
    // blocks that were copied in full before the file ran out.
    struct Case
    {
        const char *label;
        std::function<void(TArchiveBuilder &)> damage;
        std::size_t kept;
    };
    const Case cases[] = {
        {"stored data past the end", [](TArchiveBuilder &b) { b.OverrideEntry(0, 3, 5000000); },
         2 * 61440},
        {"stored offset past the end",
         [](TArchiveBuilder &b) { b.OverrideEntry(0, 1, 0xFFFFFF00); }, 0},
        {"part past the end", [](TArchiveBuilder &b) { b.OverridePart(0, 1, 0x7FFFFFFF); }, 0},
        {"part offset past the end", [](TArchiveBuilder &b) { b.OverridePart(0, 0, 0xFFFFFFF0); },
         0},
    };
    for (const Case &c : cases) {
        TArchiveBuilder b;
        b.AddStored("s", std::string(150000, 's'));
        b.AddCompressed("c", {"part"});
        c.damage(b);
        b.WriteTo(dir / "a.arc");
        reader.Open(dir / "a.arc");
        const int index = std::string(c.label).starts_with("part") ? 1 : 0;
        ExpectError<EReadError>([&] { reader.ExtractFile(index, dir / "out"); },
                                "Stream-Lesefehler");
        EXPECT_EQ(ReadFile(dir / "out").size(), c.kept) << c.label;
    }
}

TEST_F(ExtractFileTest, shortWritesAreWriteErrors)
{
    // /dev/full accepts nothing: every write comes back short.
    TArchiveBuilder b;
    b.AddStored("s", "stored");
    b.AddCompressed("c", {"compressed"});
    b.WriteTo(dir / "a.arc");
    reader.Open(dir / "a.arc");
    for (int i = 0; i < 2; ++i)
        ExpectError<EWriteError>([&] { reader.ExtractFile(i, "/dev/full"); },
                                 "Stream-Schreibfehler");
}

TEST_F(ExtractFileTest, failureReportedAtCloseIsAWriteError)
{
    TArchiveBuilder b;
    b.AddStored("d/s", "stored");
    b.AddStored("later", "never");
    b.WriteTo(dir / "a.arc");
    reader.Open(dir / "a.arc");
    const FailingClose failing;
    ExpectError<EWriteError>([&] { reader.ExtractFile(0, dir / "out"); }, "Stream-Schreibfehler");
    EXPECT_EQ(ReadFile(dir / "out"), "stored");
    ExpectError<EWriteError>([&] { reader.ExtractAll(dir / "t"); }, "Stream-Schreibfehler");
    EXPECT_EQ(TreeOf(dir / "t"), (std::set<std::string>{"d/", "d/s"}));
}

TEST_F(ExtractFileTest, partThatClaimsGigabytesFailsInBoundedMemory)
{
    // A 4 GiB file that holds almost nothing: its one part claims the hole
    // before the directory, which reads as zeros, no zlib header.
    TArchiveBuilder b;
    b.AddCompressedRaw("huge", {{"", 0xFFFFFFF0}}, 0xFFFFFFF0);
    b.OverridePart(0, 1, 0xFFFFFF00);
    b.WriteSparseTo(dir / "a.arc", 0xFFFFFF00);
    reader.Open(dir / "a.arc");
    ResetPeakMemory();
    const long before = StatusKib("VmRSS");
    ExpectError<EDataError>([&] { reader.ExtractFile(0, dir / "out"); },
                            "Daten von huge sind beschädigt");
    EXPECT_LT(StatusKib("VmHWM") - before, 16 * 1024);
}

TEST_F(ExtractFileTest, writesToAPipe)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    TArchiveBuilder b;
    b.AddCompressed("c", {"through ", "a pipe"});
    b.WriteTo(dir / "a.arc");
    reader.Open(dir / "a.arc");
    reader.ExtractFile(0, "/proc/self/fd/" + std::to_string(ends[1]));
    ::close(ends[1]);
    char got[64] = {};
    EXPECT_EQ(::read(ends[0], got, sizeof got), 14);
    EXPECT_STREQ(got, "through a pipe");
    ::close(ends[0]);
}

TEST_F(ExtractFileTest, outputThatCannotBeCreatedIsACreateError)
{
    TArchiveBuilder b;
    b.AddStored("s", "data");
    b.WriteTo(dir / "a.arc");
    reader.Open(dir / "a.arc");
    fs::create_directory(dir / "folder");
    for (const std::string &name : {dir / "missing/out", dir / "folder", dir / "folder/"})
        ExpectError<EFCreateError>([&] { reader.ExtractFile(0, name); },
                                   "Datei " + name + " kann nicht erstellt werden");
    EXPECT_EQ(TreeOf(dir.Path()), (std::set<std::string>{"a.arc", "folder/"}));
}

TEST_F(ExtractFileTest, refusesToOverwriteTheOpenArchive)
{
    TArchiveBuilder b;
    b.AddStored("s", "data");
    const std::string bytes = b.Build();
    WriteFile(dir / "a.arc", bytes);
    fs::create_hard_link(dir / "a.arc", dir / "hard.arc");
    fs::create_symlink(dir / "a.arc", dir / "soft.arc");
    reader.Open(dir / "a.arc");
    for (const std::string &name : {dir / "a.arc", dir / "hard.arc", dir / "soft.arc",
                                    dir / "../" + dir.Path().filename().string() + "/a.arc"}) {
        ExpectError<EFCreateError>([&] { reader.ExtractFile(0, name); },
                                   "Datei " + name + " kann nicht erstellt werden");
        EXPECT_EQ(ReadFile(dir / "a.arc"), bytes);
    }
    EXPECT_EQ(reader.GetFileName(0), "s");
}
