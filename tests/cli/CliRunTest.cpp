// trovel-cli's commands run in-process on streams the test holds: output,
// files, messages and exit statuses.
#include "CliRun.h"
#include "ArchiveBuilder.h"
#include "LocaleEnvironment.h"
#include "TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/statvfs.h>
#endif

namespace fs = std::filesystem;
using namespace trovel;
using namespace trovel::testing;

namespace {

struct TOutcome
{
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

class TCliRunTest : public ::testing::Test
{
protected:
    TCliRunTest() : FDir(FScratch.Path()) {}

    // FullOutput: standard output takes nothing, as /dev/full. ErrTerminal:
    // standard error is a terminal 40 columns wide.
    TOutcome Run(const std::vector<std::string> &Args, bool FullOutput = false,
                 bool ErrTerminal = false)
    {
        TStringStream out, err(ErrTerminal, 40);
        if (FullOutput)
            out.FailWrites();
        TOutcome outcome;
        outcome.ExitCode = RunCli(Args, {out, err});
        outcome.Out = out.Text();
        outcome.Err = err.Text();
        return outcome;
    }
    std::string Path(const std::string &Name) const { return BytesOf(FDir / Name); }
    std::string Write(const TArchiveBuilder &B, const std::string &Name = "a.arc")
    {
        B.WriteTo(Path(Name));
        return Path(Name);
    }

    TLocaleEnvironment FLocale{"C.UTF-8"}; // code page 1252
    TTempDir FScratch;
    fs::path FDir;
};

// The one line of a usage error.
std::string UsageError(const std::string &Message)
{
    return "trovel-cli: " + Message + "\nTry 'trovel-cli --help' for more information.\n";
}

// A file's name as the file system tells names apart: Windows ignores the
// case of (here: ASCII) letters, and a folder keeps the case it was made in.
std::string AsFileName(std::string Name)
{
#ifdef _WIN32
    for (char &c : Name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
    return Name;
}

// A name that is not UTF-8, and its text in code page 1252, the page of the
// C.UTF-8 locale the tests run in.
const std::string OddName = "bytes/\x80\xFF\t tab";
const std::string OddNameText = "bytes/\u20AC\u00FF\t tab";

[[maybe_unused]] std::string ShownName(const std::string &Stored)
{
    return Stored == OddName ? OddNameText : Stored;
}

#ifndef _WIN32
// 131,072 entries that each use the same 65,536 part records of 2^31 bytes:
// 2^64 bytes claimed by an archive of 7.6 MB.
void WriteWrappingArchive(const std::string &Path)
{
    TArchiveWriter writer(Path);
    const std::uint32_t stream = writer.AppendData(Deflate(""));
    for (int i = 0; i < 65536; ++i)
        writer.AddPart(stream, 8, 0x80000000);
    for (int i = 0; i < 131072; ++i)
        writer.AddEntry(3, 0, 0, 65536, 0, "e" + std::to_string(i));
    writer.Finish();
}
#endif

TArchiveBuilder MixedArchive()
{
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "row " + std::to_string(i) + "\n";
    TArchiveBuilder b;
    b.AddStored("readme.txt", "hello\n");
    b.AddCompressed("data/parts.bin", {text.substr(0, 100), text.substr(100, 9000), text});
    b.AddOther("data/other mode", 0xFFFFFFFF, 0xFFFFFFFF);
    b.AddStored(OddName, std::string(70000, '\xAB'));
    b.AddStored("empty", "");
    b.ScatterData(9);
    return b;
}

} // namespace

TEST_F(TCliRunTest, listPrintsEveryEntryWithItsName)
{
    const TArchiveBuilder b = MixedArchive();
    const std::string archive = Write(b);
    struct TCase
    {
        std::vector<std::string> Args;
        std::string OddName;
    };
    const TCase cases[] = {
        {{"list", archive}, OddNameText},
        {{"list", archive, "--codepage", "raw"}, OddName},
        {{"list", "--codepage=RAW", archive}, OddName},
        {{"list", archive, "--codepage", "utf-8"}, "bytes/\uFFFD\uFFFD\t tab"},
        {{"list", archive, "--codepage", "raw", "--codepage", "1252"}, OddNameText},
    };
    for (const TCase &c : cases) {
        const TOutcome o = Run(c.Args);
        EXPECT_EQ(o.ExitCode, 0);
        EXPECT_EQ(o.Out, "0\t1\t6\treadme.txt\n"
                         "1\t3\t" +
                             std::to_string(b.Expected(1).size()) +
                             "\tdata/parts.bin\n"
                             "2\t4294967295\t4294967295\tdata/other mode\n"
                             "3\t1\t70000\t" +
                             c.OddName +
                             "\n"
                             "4\t1\t0\tempty\n");
        EXPECT_EQ(o.Err, "");
    }

    const TOutcome empty = Run({"list", Write(TArchiveBuilder(), "empty.arc")});
    EXPECT_EQ(empty.ExitCode, 0);
    EXPECT_EQ(empty.Out, "");
}

TEST_F(TCliRunTest, extractWritesEachEntryExactly)
{
    const TArchiveBuilder b = MixedArchive();
    const std::string archive = Write(b);
    for (int i = 0; i < b.EntryCount(); ++i) {
        const TOutcome o = Run({"extract", archive, std::to_string(i), Path("out")});
        EXPECT_EQ(o.ExitCode, 0) << o.Err;
        EXPECT_EQ(o.Out + o.Err, "");
        EXPECT_EQ(ReadFile(Path("out")), b.Expected(i)) << b.Name(i);
    }
}

TEST_F(TCliRunTest, extractChecksTheIndex)
{
    TArchiveBuilder b;
    b.AddStored("a", "a");
    b.AddStored("b", "b");
    b.AddStored("c", "c");
    const std::string archive = Write(b);
    const std::string empty = Write(TArchiveBuilder(), "empty.arc");
    struct TCase
    {
        std::string Archive, Index;
        int ExitCode;
        std::string Err;
    };
    const std::string a = "trovel-cli: " + archive + ": ";
    const TCase cases[] = {
        {archive, "3", 1, a + "index 3 out of range (0 to 2)\n"},
        {archive, "-1", 1, a + "index -1 out of range (0 to 2)\n"},
        {archive, "99999999999999999999", 1,
         a + "index 99999999999999999999 out of range (0 to 2)\n"},
        {empty, "0", 1,
         "trovel-cli: " + empty + ": index 0 out of range (the archive has no entries)\n"},
        {archive, "x", 2, UsageError("invalid index 'x'")},
        {archive, "1x", 2, UsageError("invalid index '1x'")},
        {archive, " 1", 2, UsageError("invalid index ' 1'")},
        {archive, "", 2, UsageError("invalid index ''")},
    };
    for (const TCase &c : cases) {
        const TOutcome o = Run({"extract", c.Archive, c.Index, Path("out")});
        EXPECT_EQ(o.ExitCode, c.ExitCode) << c.Index;
        EXPECT_EQ(o.Err, c.Err);
        EXPECT_FALSE(fs::exists(Path("out"))) << c.Index;
    }
}

#ifndef _WIN32 // /dev/full and the system's reasons as POSIX words them
TEST_F(TCliRunTest, failuresPrintTheMessage)
{
    TArchiveBuilder damagedPart;
    damagedPart.AddStored("fine", "fine");
    damagedPart.AddCompressedRaw("broken", {{"not zlib", 5}}, 5);
    TArchiveBuilder traversal;
    traversal.AddStored("../escape", "x");
    TArchiveBuilder good = MixedArchive();
    const std::string shortFile = Path("short.arc");
    WriteFile(shortFile, "short");
    // The first lines of a password file, read as a header.
    const std::string notArchive = Path("shadow");
    WriteFile(notArchive, "root:*:19000:0:99999:7:::\ndaemon:*:19000:0:99999:7:::\n");
    fs::create_directory(FDir / "folder");
    const std::string missing = Path("missing.arc");

    struct TCase
    {
        std::vector<std::string> Args;
        std::string Err;
    };
    const TCase cases[] = {
        // failures of the archive name it, and say why
        {{"list", missing},
         missing + ": Datei " + missing +
             " kann nicht geöffnet werden (No such file or directory)"},
        {{"test", FDir.string()},
         FDir.string() + ": Datei " + FDir.string() +
             " kann nicht geöffnet werden (Is a directory)"},
        {{"list", shortFile},
         shortFile +
             ": Stream-Lesefehler (not an archive: it is shorter than an archive's header)"},
        {{"extract", notArchive, "0", Path("out")},
         notArchive +
             ": Fehler bei Bereichsprüfung (not an archive: its directory does not fit the file)"},
        // failures while an entry is written name the entry
        {{"extract", Write(damagedPart, "part.arc"), "1", Path("out")},
         "broken: Daten von broken sind beschädigt"},
        {{"extract-all", Path("part.arc"), Path("all")},
         "broken: Daten von broken sind beschädigt"},
        {{"extract-all", Write(traversal, "up.arc"), Path("all")},
         "../escape: Eintrag ../escape liegt außerhalb des Zielordners"},
        {{"extract", Write(good), "0", Path("a.arc")},
         "readme.txt: Datei " + Path("a.arc") + " kann nicht erstellt werden"},
        {{"extract", Path("a.arc"), "0", Path("folder")},
         "readme.txt: Datei " + Path("folder") + " kann nicht erstellt werden (Is a directory)"},
        {{"extract", Path("a.arc"), "0", Path("nowhere/out")},
         "readme.txt: Datei " + Path("nowhere/out") +
             " kann nicht erstellt werden (No such file or directory)"},
        {{"extract", Path("a.arc"), "3", "/dev/full"},
         OddNameText + ": Stream-Schreibfehler (No space left on device)"}, // not escaped
        {{"extract", Path("a.arc"), "0", "-"},
         "readme.txt: Stream-Schreibfehler (No space left on device)"},
    };
    for (const TCase &c : cases) {
        // stdout takes nothing
        const TOutcome o = Run(c.Args, true);
        EXPECT_EQ(o.ExitCode, 1) << c.Args[0];
        EXPECT_EQ(o.Err, "trovel-cli: " + c.Err + "\n");
    }
    EXPECT_EQ(ReadFile(Path("all/fine")), "fine"); // written before the damaged entry

    const TOutcome o = Run({"list", Path("a.arc")}, true);
    EXPECT_EQ(o.ExitCode, 1);
    EXPECT_EQ(o.Err, "trovel-cli: standard output: Stream-Schreibfehler (No space left on "
                     "device)\n"); // tied to no entry
}
#endif

TEST_F(TCliRunTest, patternsChooseTheSameEntriesForEveryCommand)
{
    TArchiveBuilder b;
    b.AddStored("textures/sky.tex", "0");
    b.AddStored("textures/a/b.tex", "1");
    b.AddStored("textures2/x.tex", "2");
    b.AddStored("readme.txt", "3");
    b.AddStored("-dash", "4");
    b.AddStored("Textures/up.tex", "5");
    b.AddStored("caf\xe9.txt", "6"); // code page 1252: printed as "café.txt"
    const std::string archive = Write(b);
    const auto printed = [&](int I) { return I == 6 ? std::string("café.txt") : b.Name(I); };
    struct TCase
    {
        std::vector<std::string> Patterns;
        std::vector<int> Chosen;
        std::string Err; // the unmatched patterns, after everything else
    };
    const TCase cases[] = {
        {{"textures/"}, {0, 1}, ""},
        {{"*.tex"}, {0, 1, 2, 5}, ""},
        {{"readme.txt", "*.txt"}, {3, 6}, ""},
        {{"--", "-dash"}, {4}, ""},
        {{"caf?.txt"}, {6}, ""},
        {{"readme.txt", "nope", "Readme*"},
         {3},
         "nothing matches nope\ntrovel-cli: nothing matches Readme*\n"},
        // exclusions win over patterns; a pattern whose entries are all
        // excluded did match
        {{"*.tex", "--exclude", "textures/a", "--exclude=Textures"}, {0, 2}, ""},
        {{"readme.txt", "--exclude", "*.txt"}, {}, ""},
        // case folded, in patterns, exclusions and names alike
        {{"-i", "TEXTURES"}, {0, 1, 5}, ""},
        {{"--ignore-case", "CAF\u00C9.TXT"}, {6}, ""},
        {{"*.TEX", "-i", "--exclude", "TEXTURES2/*"}, {0, 1, 5}, ""},
        {{"TEXTURES"}, {}, "nothing matches TEXTURES\n"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Patterns.back());
        const auto withPatterns = [&](std::vector<std::string> Args) {
            Args.insert(Args.end(), c.Patterns.begin(), c.Patterns.end());
            return Run(Args);
        };
        const int status = c.Err.empty() ? 0 : 1;
        const std::string err = c.Err.empty() ? "" : "trovel-cli: " + c.Err;
        std::string listed, data;
        std::set<std::string> files;
        for (const int i : c.Chosen) {
            listed += std::to_string(i) + "\t1\t1\t" + printed(i) + "\n";
            data += b.Expected(i);
            files.insert(AsFileName(printed(i)));
        }
        const TOutcome list = withPatterns({"list", archive});
        EXPECT_EQ(list.ExitCode, status);
        EXPECT_EQ(list.Out, listed);
        EXPECT_EQ(list.Err, err);

        const TOutcome test = withPatterns({"test", archive});
        EXPECT_EQ(test.ExitCode, status);
        EXPECT_EQ(test.Out + test.Err, err);

        const TOutcome cat = withPatterns({"cat", archive});
        EXPECT_EQ(cat.ExitCode, status);
        EXPECT_EQ(cat.Out, data);
        EXPECT_EQ(cat.Err, err);

        fs::remove_all(Path("out"));
        const TOutcome all = withPatterns({"extract-all", archive, Path("out")});
        EXPECT_EQ(all.ExitCode, status);
        EXPECT_EQ(all.Err, err);
        std::set<std::string> written;
        for (const std::string &item : TreeOf(FDir / "out")) {
            if (!item.ends_with('/'))
                written.insert(AsFileName(item));
        }
        EXPECT_EQ(written, files);
    }
}

TEST_F(TCliRunTest, testPrintsEachEntryThatWouldFailAndGoesOn)
{
    TArchiveBuilder b;
    b.AddStored("fine.txt", "fine");
    b.AddStored("../escape", "x");
    b.AddCompressedRaw("damaged", {{"not zlib", 5}}, 5);
    b.AddStored("cut", "x");
    b.OverrideEntry(3, 3, 1000000);
    b.AddCompressed("parts outside", {"x"});
    b.OverrideEntry(4, 8, 7);
    b.AddCompressed("packed", {"a", "b"});
    const std::string archive = Write(b);

    const TOutcome o = Run({"test", archive});
    EXPECT_EQ(o.ExitCode, 1);
    EXPECT_EQ(o.Out, "1\t../escape\tEintrag ../escape liegt außerhalb des Zielordners\n"
                     "2\tdamaged\tDaten von damaged sind beschädigt\n"
                     "3\tcut\tStream-Lesefehler\n"
                     "4\tparts outside\tFehler bei Bereichsprüfung\n");
    EXPECT_EQ(o.Err, "");

    const TOutcome fine = Run({"test", archive, "fine.txt", "packed"});
    EXPECT_EQ(fine.ExitCode, 0);
    EXPECT_EQ(fine.Out + fine.Err, "");
}

#ifndef _WIN32 // statvfs
TEST_F(TCliRunTest, extractAllRefusesWhatTheDiskCannotHold)
{
    struct statvfs room = {};
    ASSERT_EQ(::statvfs(FDir.c_str(), &room), 0);
    const std::uint64_t block = room.f_frsize;
    const auto inBlocks = [&](std::uint64_t Bytes) { return (Bytes + block - 1) / block * block; };

    // 64 entries share 3,072 part records that each claim 4 GiB but inflate
    // to nothing: 768 TiB claimed by an archive of some 60 KB, counted in
    // blocks, with the two folders of the target.
    constexpr int Entries = 64, Parts = 3072;
    TArchiveBuilder b;
    b.AddCompressedRaw("e0", std::vector<TRawPart>(Parts, {Deflate(""), 0xFFFFFFFF}), 0);
    for (int i = 1; i < Entries; ++i) {
        b.AddCompressedRaw("e" + std::to_string(i), {}, 0);
        b.OverrideEntry(i, 7, Parts);
    }
    const std::string archive = Write(b);
    const std::string wrapping = Path("wrap.arc");
    WriteWrappingArchive(wrapping);
    struct TCase
    {
        std::string Archive;
        std::string Needed;
    };
    const TCase cases[] = {
        {archive,
         std::to_string(Entries * inBlocks(std::uint64_t{Parts} * 0xFFFFFFFF) + 2 * block)},
        // 2^64 bytes, which would be 0 in 64 bits
        {wrapping, "18446744073709551615"},
    };
    const std::string target = Path("new/target");
    for (const TCase &c : cases) {
        const TOutcome o = Run({"extract-all", c.Archive, target});
        EXPECT_EQ(o.ExitCode, 1);
        EXPECT_TRUE(
            o.Err.starts_with("trovel-cli: extracting needs " + c.Needed + " bytes but only "))
            << o.Err;
        EXPECT_NE(o.Err.find(" bytes are free in " + target + " ("), std::string::npos) << o.Err;
        EXPECT_FALSE(fs::exists(Path("new")));
    }

    const TOutcome unchecked = Run({"extract-all", "--no-space-check", archive, target});
    EXPECT_EQ(unchecked.ExitCode, 0) << unchecked.Err;
    EXPECT_EQ(fs::file_size(target + "/e63"), 0u);
}
#endif

// Entries that share compressed data would keep the run busy for hours on a
// small archive: refused before anything is read or written, unless asked.
TEST_F(TCliRunTest, sharedDataIsRefusedBeforeAnyWork)
{
    // 300 entries share one part of 1 MiB of empty stored blocks: 300 MiB to
    // inflate to nothing.
    constexpr int Entries = 300;
    TArchiveBuilder shared;
    const std::string blocks = EmptyStoredBlocks(1 << 20);
    shared.AddCompressedRaw("e0", {{blocks, 0}}, 0);
    for (int i = 1; i < Entries; ++i) {
        shared.AddCompressedRaw("e" + std::to_string(i), {}, 0);
        shared.OverrideEntry(i, 7, 1);
    }
    const std::string archive = Write(shared);
    // One entry with 300 part records on that stream.
    TArchiveBuilder records;
    records.AddCompressedRaw("one", std::vector<TRawPart>(Entries, {"x", 0}), 0);
    records.AddStored("stream", blocks);
    const std::uint32_t streamAt = HeaderSize + Entries;
    for (int p = 0; p < Entries; ++p) {
        records.OverridePart(p, 0, streamAt);
        records.OverridePart(p, 1, static_cast<std::uint32_t>(blocks.size()));
    }
    const std::string one = Write(records, "one.arc");

    const auto refusal = [&](const std::string &Archive) {
        const std::uint64_t total = std::uint64_t{Entries} * blocks.size();
        const std::uint64_t size = fs::file_size(Archive);
        return "trovel-cli: " + Archive +
               ": the entries share compressed data: " + std::to_string(total) +
               " bytes would be inflated from an archive of " + std::to_string(size) +
               " bytes (300 MiB from 1.0 MiB)\n";
    };
    const std::vector<std::vector<std::string>> refused = {
        {"test", archive},
        {"extract-all", archive, Path("out")},
        {"extract", one, "0", Path("out")},
        {"cat", archive, "*"},
    };
    for (const auto &args : refused) {
        const TOutcome o = Run(args);
        EXPECT_EQ(o.ExitCode, 1) << args[0];
        EXPECT_EQ(o.Out, "");
        EXPECT_EQ(o.Err, refusal(args[1])) << args[0];
        EXPECT_FALSE(fs::exists(Path("out"))) << args[0];
    }
    const TOutcome unchecked = Run({"test", "--no-space-check", archive});
    EXPECT_EQ(unchecked.ExitCode, 0) << unchecked.Err;
    EXPECT_EQ(unchecked.Out + unchecked.Err, "");
}

TEST_F(TCliRunTest, usageErrorsSayWhatIsWrongInOneLine)
{
    struct TCase
    {
        std::vector<std::string> Args;
        std::string Message;
    };
    const TCase cases[] = {
        {{}, "missing command"},
        {{"list"}, "missing operand: list takes ARCHIVE [PATTERN...]"},
        {{"cat", "a"}, "missing operand: cat takes ARCHIVE PATTERN..."},
        {{"extract", "a", "0"}, "missing operand: extract takes ARCHIVE INDEX OUTFILE"},
        {{"extract", "a", "0", "o", "p"}, "extra operand 'p': extract takes ARCHIVE INDEX OUTFILE"},
        {{"extract-all", "a"}, "missing operand: extract-all takes ARCHIVE DIR [PATTERN...]"},
        {{"extract-all", "a", ""}, "empty DIR: extract-all takes '.' for the current folder"},
        {{"lst", "a"}, "unknown command 'lst'"},
        {{"--codepage", "raw", "list", "a"},
         "the command comes first, before the option '--codepage'"},
        {{"--help", "list"}, "extra operand 'list': --help stands alone"},
        {{"--version", "list"}, "extra operand 'list': --version stands alone"},
        {{"list", "a", "--bogus"}, "unknown option '--bogus'"},
        {{"list", "a", "--bogus=1"}, "unknown option '--bogus'"},
        {{"list", "a", "-b"}, "unknown option '-b'"},
        {{"list", "a", "-ib"}, "unknown option '-b'"},
        {{"list", "--codepage=999", "a"}, "unknown code page '999'"},
        {{"list", "a", "--codepage", "1259"}, "unknown code page '1259'"},
        {{"extract-all", "a", "d", "--codepage"}, "option '--codepage' needs a value"},
        {{"list", "a", "--exclude"}, "option '--exclude' needs a value"},
        {{"list", "a", "--no-space-check"}, "option '--no-space-check' does not apply to 'list'"},
        {{"test", "a", "--skip-old-files"}, "option '--skip-old-files' does not apply to 'test'"},
        {{"extract", "a", "0", "o", "--exclude=x"},
         "option '--exclude' does not apply to 'extract'"},
        {{"test", "a", "-l"}, "option '-l' does not apply to 'test'"},
        {{"cat", "a", "p", "-v"}, "option '-v' does not apply to 'cat'"},
        {{"list", "a", "--help"}, "option '--help' does not apply to 'list'"},
        {{"extract-all", "a", "d", "--quiet=yes"}, "option '--quiet' takes no value"},
        {{"extract", "a", "abc", "o"}, "invalid index 'abc'"},
    };
    for (const TCase &c : cases) {
        const TOutcome o = Run(c.Args);
        EXPECT_EQ(o.ExitCode, 2) << c.Message;
        EXPECT_EQ(o.Err, UsageError(c.Message));
        EXPECT_EQ(o.Out, "");
    }
    const TOutcome help = Run({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.starts_with("usage: trovel-cli list ARCHIVE [PATTERN...]\n"));
    EXPECT_EQ(help.Err, "");
    const TOutcome version = Run({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_TRUE(version.Out.starts_with("trovel-cli 1.0\n")) << version.Out;
    EXPECT_NE(version.Out.find("\nLicence: MIT"), std::string::npos) << version.Out;
    EXPECT_EQ(version.Err, "");
}

#ifndef _WIN32 // names with a tab, which Windows refuses
TEST_F(TCliRunTest, extractAllIsSilentWhenNotOnATerminal)
{
    const TArchiveBuilder b = MixedArchive();
    const std::string archive = Write(b);
    for (const bool raw : {false, true}) {
        const std::string out = raw ? "raw" : "out";
        const TOutcome o = raw ? Run({"extract-all", "--codepage", "raw", archive, Path(out)})
                               : Run({"extract-all", archive, Path(out)});
        EXPECT_EQ(o.ExitCode, 0);
        EXPECT_EQ(o.Out + o.Err, "");
        for (int i = 0; i < b.EntryCount(); ++i) {
            const std::string name = raw ? b.Name(i) : ShownName(b.Name(i));
            EXPECT_EQ(ReadFile(FDir / out / name), b.Expected(i)) << name;
        }
    }
}
#endif

#ifndef _WIN32 // FIFOs, links and /dev/null
TEST_F(TCliRunTest, extractWritesToTheNameGivenAsItStands)
{
    TArchiveBuilder b;
    b.AddStored("e", "entry data");
    const std::string archive = Write(b);
    WriteFile(Path("linked"), "old contents, longer");
    fs::create_symlink(Path("linked"), Path("link"));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    const int fifo = ::open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);

    for (const std::string &output : {Path("link"), std::string("/dev/null"), Path("fifo")}) {
        const TOutcome o = Run({"extract", archive, "0", output});
        EXPECT_EQ(o.ExitCode, 0) << output << o.Err;
    }
    EXPECT_EQ(ReadFile(Path("linked")), "entry data");
    char got[64] = {};
    EXPECT_EQ(::read(fifo, got, sizeof got), 10);
    EXPECT_STREQ(got, "entry data");
    ::close(fifo);
    EXPECT_TRUE(fs::is_symlink(Path("link")));
    EXPECT_TRUE(fs::is_fifo(Path("fifo")));
}
#endif

TEST_F(TCliRunTest, longListingShowsModesPackedSizesAndTotals)
{
    const std::string many(1000, 'x');
    TArchiveBuilder b;
    b.AddStored("a.txt", "hello");
    b.AddCompressedRaw("b/deflated", {{Deflate(many), 1000}, {Deflate("y"), 1}}, 1001);
    b.AddOther("c", 0xFFFFFFFF, 0xFFFFFFFF);
    b.AddStored("d", "left out");
    b.AddCompressedRaw("e", {{Deflate("z"), 1}}, 1);
    b.OverrideEntry(4, 7, 9); // a part range outside the table: nothing to read
    const std::string archive = Write(b);
    const std::size_t packed = Deflate(many).size() + Deflate("y").size();
    const auto right = [](std::uint64_t Number, std::size_t Width) {
        const std::string text = std::to_string(Number);
        return std::string(Width - text.size(), ' ') + text;
    };

    const TOutcome o = Run({"list", "-l", archive, "--exclude", "d"});
    EXPECT_EQ(o.ExitCode, 0) << o.Err;
    EXPECT_EQ(o.Out, "   Index  Mode               Size         Packed  Name\n"
                     "       0  stored                5              5  a.txt\n"
                     "       1  deflated           1001 " +
                         right(packed, 14) +
                         "  b/deflated\n"
                         "       2  none                  0              0  c\n"
                         "       4  deflated              0              0  e\n"
                         "                             1006 " +
                         right(5 + packed, 14) + "  4 entries\n");
    EXPECT_EQ(o.Err, "");

    // the default listing keeps its form
    EXPECT_EQ(Run({"list", archive, "a.txt"}).Out, "0\t1\t5\ta.txt\n");
}

TEST_F(TCliRunTest, skipOldFilesLeavesTakenNamesAlone)
{
    TArchiveBuilder b;
    b.AddStored("kept.txt", "new");
    b.AddStored("sub/new.txt", "new");
    b.AddStored("link", "new");
    b.AddStored("folder", "new");
    b.AddStored("sub/fresh.txt", "fresh");
    const std::string archive = Write(b);
    const fs::path out = FDir / "out";
    fs::create_directories(out / "sub");
    fs::create_directory(out / "folder");
    WriteFile(out / "kept.txt", "old");
#ifdef _WIN32
    WriteFile(out / "link", "old"); // links need a privilege there
#else
    fs::create_symlink("nowhere", out / "link"); // a link that leads nowhere takes a name too
#endif

    const TOutcome o = Run({"extract-all", "--skip-old-files", archive, BytesOf(out)});
    EXPECT_EQ(o.ExitCode, 0) << o.Err;
    EXPECT_EQ(o.Out, "");
    EXPECT_EQ(o.Err, "trovel-cli: skipped 3 entries whose names are taken in " + out.string() +
                         " already\n");
    EXPECT_EQ(ReadFile(out / "kept.txt"), "old");
#ifdef _WIN32
    EXPECT_EQ(ReadFile(out / "link"), "old");
#else
    EXPECT_EQ(fs::read_symlink(out / "link"), "nowhere");
#endif
    EXPECT_EQ(ReadFile(out / "sub/new.txt"), "new");
    EXPECT_EQ(ReadFile(out / "sub/fresh.txt"), "fresh");

    // a second run finds every name taken; -q keeps the count to itself
    const TOutcome again = Run({"extract-all", "--skip-old-files", archive, BytesOf(out)});
    EXPECT_EQ(again.Err, "trovel-cli: skipped 5 entries whose names are taken in " + out.string() +
                             " already\n");
    const TOutcome quiet = Run({"extract-all", "-q", "--skip-old-files", archive, BytesOf(out)});
    EXPECT_EQ(quiet.ExitCode, 0);
    EXPECT_EQ(quiet.Out + quiet.Err, "");
    // without the option every entry is written
    const TOutcome all = Run({"extract-all", archive, BytesOf(out), "kept.txt"});
    EXPECT_EQ(all.ExitCode, 0);
    EXPECT_EQ(ReadFile(out / "kept.txt"), "new");
}

TEST_F(TCliRunTest, verbosePrintsEachNameAsItGoes)
{
    TArchiveBuilder b;
    b.AddStored("one", "1");
    b.AddCompressedRaw("two", {{"not zlib", 5}}, 5);
    b.AddStored("three", "3");
    const std::string archive = Write(b);
    const TOutcome test = Run({"test", "-v", archive});
    EXPECT_EQ(test.ExitCode, 1);
    EXPECT_EQ(test.Out, "one\ntwo\n1\ttwo\tDaten von two sind beschädigt\nthree\n");
    const TOutcome all = Run({"extract-all", "--verbose", archive, Path("out"), "one", "three"});
    EXPECT_EQ(all.ExitCode, 0);
    EXPECT_EQ(all.Out, "one\nthree\n");
    EXPECT_EQ(all.Err, "");
    // the progress line on a terminal, but neither with -v nor with -q
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"test", archive, "one"},
          std::vector<std::string>{"extract-all", archive, Path("all"), "one"}}) {
        const TOutcome shown = Run(args, false, true);
        EXPECT_TRUE(shown.Err.starts_with("\r1/1 0% one\033[K")) << shown.Err;
        for (const std::string option : {"-v", "-q"}) {
            std::vector<std::string> withOption = args;
            withOption.push_back(option);
            EXPECT_EQ(Run(withOption, false, true).Err, "") << args[0] << " " << option;
        }
    }
    // -q: errors only
    const TOutcome quiet = Run({"test", "-q", archive, "t*", "nope"});
    EXPECT_EQ(quiet.Out, "1\ttwo\tDaten von two sind beschädigt\n");
    EXPECT_EQ(quiet.Err, "trovel-cli: nothing matches nope\n");
}

TEST_F(TCliRunTest, catStopsAtAnEntryThatFails)
{
    TArchiveBuilder b;
    b.AddStored("a", "first ");
    b.AddCompressedRaw("b", {{"not zlib", 5}}, 5);
    b.AddStored("c", "third");
    const std::string archive = Write(b);
    const TOutcome o = Run({"cat", archive, "*"});
    EXPECT_EQ(o.ExitCode, 1);
    EXPECT_EQ(o.Out, "first ");
    EXPECT_EQ(o.Err, "trovel-cli: b: Daten von b sind beschädigt\n");
    const TOutcome full = Run({"cat", archive, "c"}, true);
    EXPECT_EQ(full.ExitCode, 1);
    EXPECT_EQ(full.Err, "trovel-cli: c: Stream-Schreibfehler (No space left on device)\n");
}

// Two stored names that decode to one path: test names the later entry as
// extract-all fails on it.
TEST_F(TCliRunTest, testReportsNamesThatWouldShareAFile)
{
    TArchiveBuilder b;
    b.AddStored("x\x81\xff", "1");
    b.AddStored("x\x85\x80", "2");
    const std::string archive = Write(b);
    const TOutcome o = Run({"test", "--codepage", "932", archive});
    EXPECT_EQ(o.ExitCode, 1);
    EXPECT_EQ(o.Out, "1\tx\uFFFD\tDatei x\uFFFD kann nicht erstellt werden\n");
}
