// trovel-cli run as a process: output, files, messages and exit codes.
#include "ArchiveBuilder.h"
#include "Process.h"
#include "TempDir.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <pty.h>
#include <sched.h>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace trovel::testing;

namespace {

std::string CliPath; // from the command line of the test program

struct TOutcome
{
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// A running trovel-cli. Its output goes to files in the test's folder, or to
// descriptors the test holds: a terminal, a pipe.
class TCli final
{
public:
    TCli(const fs::path &Folder, const std::vector<std::string> &Args, int StderrHandle = -1,
         int StdoutHandle = -1)
        : FOut(Folder / "stdout"), FErr(Folder / "stderr"), FProcess(WithProgram(Args))
    {
        if (StdoutHandle >= 0)
            FProcess.RedirectToHandle(STDOUT_FILENO, StdoutHandle);
        else
            FProcess.RedirectToFile(STDOUT_FILENO, FOut);
        if (StderrHandle >= 0)
            FProcess.RedirectToHandle(STDERR_FILENO, StderrHandle);
        else
            FProcess.RedirectToFile(STDERR_FILENO, FErr);
        FProcess.SetVariable("LC_ALL", "C.UTF-8");
        FProcess.Start();
    }

    pid_t Pid() const { return FProcess.Pid(); }

    // Killed by a signal shows as its negative number, never as an exit code.
    TOutcome Wait()
    {
        TOutcome outcome;
        outcome.ExitCode = FProcess.Wait();
        outcome.Out = ReadFile(FOut);
        outcome.Err = ReadFile(FErr);
        return outcome;
    }

private:
    static std::vector<std::string> WithProgram(const std::vector<std::string> &Args)
    {
        std::vector<std::string> arguments = {CliPath};
        arguments.insert(arguments.end(), Args.begin(), Args.end());
        return arguments;
    }

    std::string FOut, FErr;
    TProcess FProcess;
};

// A pseudo-terminal for trovel-cli's stderr. Suspending its output, as
// Ctrl+S does, holds the program in its next write to the terminal.
class TTerminal final
{
public:
    explicit TTerminal(unsigned short Columns = 80)
    {
        winsize size{};
        size.ws_col = Columns;
        size.ws_row = 10;
        if (::openpty(&FMaster, &FSlave, nullptr, nullptr, &size) != 0)
            throw std::runtime_error("openpty failed");
        ::fcntl(FMaster, F_SETFD, FD_CLOEXEC);
        ::fcntl(FSlave, F_SETFD, FD_CLOEXEC);
    }
    ~TTerminal()
    {
        ::close(FMaster);
        if (FSlave >= 0)
            ::close(FSlave);
    }
    TTerminal(const TTerminal &) = delete;
    TTerminal &operator=(const TTerminal &) = delete;

    int Slave() const { return FSlave; }
    void SuspendOutput(bool Suspend) const { ::tcflow(FSlave, Suspend ? TCOOFF : TCOON); }

    // Everything shown, once the program has ended.
    std::string Shown()
    {
        ::close(std::exchange(FSlave, -1));
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(FMaster, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(got));
        return text;
    }

private:
    int FMaster = -1;
    int FSlave = -1;
};

// Linux shows in /proc which system call a process sleeps in and which
// signals wait for it: how a test knows where the program is held, without
// guessing a delay.
std::string ProcText(pid_t Pid, const char *File)
{
    return ReadFile("/proc/" + std::to_string(Pid) + "/" + File);
}

// An interruptible sleep: waiting for a reader or for the terminal, not for
// the disk.
bool SleepsIn(pid_t Pid, long Call)
{
    return ProcText(Pid, "stat").find(") S ") != std::string::npos &&
           ProcText(Pid, "syscall").starts_with(std::to_string(Call) + " ");
}

bool InterruptPending(pid_t Pid)
{
    const std::string status = ProcText(Pid, "status");
    for (const std::string field : {"\nSigPnd:", "\nShdPnd:"}) {
        const std::size_t at = status.find(field);
        if (at != std::string::npos &&
            (std::stoull(status.substr(at + field.size()), nullptr, 16) >> (SIGINT - 1) & 1))
            return true;
    }
    return false;
}

void WaitUntil(const std::function<bool()> &Condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Condition()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the program was never held";
        ::sched_yield();
    }
}

class TCliTest : public ::testing::Test
{
protected:
    TCliTest() : FDir(FScratch.Path()) {}

    TOutcome Run(const std::vector<std::string> &Args) { return TCli(FDir, Args).Wait(); }
    // stderr, and stdout when asked, go to a terminal 30 columns wide, which
    // passes the bytes on as they are; err holds what it received.
    TOutcome RunOnTerminal(const std::vector<std::string> &Args, bool StdoutToo)
    {
        TTerminal terminal(30);
        termios mode{};
        ::tcgetattr(terminal.Slave(), &mode);
        mode.c_oflag &= ~OPOST;
        ::tcsetattr(terminal.Slave(), TCSANOW, &mode);
        TOutcome o = TCli(FDir, Args, terminal.Slave(), StdoutToo ? terminal.Slave() : -1).Wait();
        o.Err = terminal.Shown();
        return o;
    }
    std::string Path(const std::string &Name) const { return (FDir / Name).string(); }
    std::string Write(const TArchiveBuilder &B, const std::string &Name = "a.arc")
    {
        B.WriteTo(Path(Name));
        return Path(Name);
    }

    TTempDir FScratch;
    fs::path FDir;
};

// The usage text as --help prints it.
std::string Usage()
{
    static const std::string text = [] {
        const TTempDir dir;
        return TCli(dir.Path(), {"--help"}).Wait().Out;
    }();
    return text;
}

// A name that is not UTF-8, and its text in code page 1252, the page of the
// C.UTF-8 locale the tests run in.
const std::string OddName = "bytes/\x80\xFF\t tab";
const std::string OddNameText = "bytes/\u20AC\u00FF\t tab";

std::string ShownName(const std::string &Stored)
{
    return Stored == OddName ? OddNameText : Stored;
}

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

TEST_F(TCliTest, listPrintsEveryEntryWithItsName)
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

TEST_F(TCliTest, extractWritesEachEntryExactly)
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

TEST_F(TCliTest, extractChecksTheIndex)
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
        {archive, "x", 2, Usage()},
        {archive, "1x", 2, Usage()},
        {archive, " 1", 2, Usage()},
        {archive, "", 2, Usage()},
    };
    for (const TCase &c : cases) {
        const TOutcome o = Run({"extract", c.Archive, c.Index, Path("out")});
        EXPECT_EQ(o.ExitCode, c.ExitCode) << c.Index;
        EXPECT_EQ(o.Err, c.Err);
        EXPECT_FALSE(fs::exists(Path("out"))) << c.Index;
    }
}

TEST_F(TCliTest, failuresPrintTheMessage)
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
    const int full = ::open("/dev/full", O_WRONLY);
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
        const TOutcome o = TCli(FDir, c.Args, -1, full).Wait();
        EXPECT_EQ(o.ExitCode, 1) << c.Args[0];
        EXPECT_EQ(o.Err, "trovel-cli: " + c.Err + "\n");
    }
    EXPECT_EQ(ReadFile(Path("all/fine")), "fine"); // written before the damaged entry

    const TOutcome o = TCli(FDir, {"list", Path("a.arc")}, -1, full).Wait();
    ::close(full);
    EXPECT_EQ(o.ExitCode, 1);
    EXPECT_EQ(o.Err, "trovel-cli: standard output: Stream-Schreibfehler (No space left on "
                     "device)\n"); // tied to no entry
}

TEST_F(TCliTest, patternsChooseTheSameEntriesForEveryCommand)
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
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Patterns.back());
        const auto withPatterns = [&](std::vector<std::string> Args) {
            Args.insert(Args.end(), c.Patterns.begin(), c.Patterns.end());
            return Run(Args);
        };
        const int status = c.Err.empty() ? 0 : 1;
        const std::string err = c.Err.empty() ? "" : "trovel-cli: " + c.Err;
        std::string listed;
        std::set<std::string> files;
        for (const int i : c.Chosen) {
            listed += std::to_string(i) + "\t1\t1\t" + printed(i) + "\n";
            files.insert(printed(i));
        }
        const TOutcome list = withPatterns({"list", archive});
        EXPECT_EQ(list.ExitCode, status);
        EXPECT_EQ(list.Out, listed);
        EXPECT_EQ(list.Err, err);

        const TOutcome test = withPatterns({"test", archive});
        EXPECT_EQ(test.ExitCode, status);
        EXPECT_EQ(test.Out + test.Err, err);

        fs::remove_all(Path("out"));
        const TOutcome all = withPatterns({"extract-all", archive, Path("out")});
        EXPECT_EQ(all.ExitCode, status);
        EXPECT_EQ(all.Err, err);
        std::set<std::string> written;
        for (const std::string &item : TreeOf(FDir / "out")) {
            if (!item.ends_with('/'))
                written.insert(item);
        }
        EXPECT_EQ(written, files);
    }
}

TEST_F(TCliTest, testPrintsEachEntryThatWouldFailAndGoesOn)
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

// Two stored names that decode to one path: test names the later entry as
// extract-all fails on it.
TEST_F(TCliTest, testReportsNamesThatWouldShareAFile)
{
    TArchiveBuilder b;
    b.AddStored("x\x81\xff", "1");
    b.AddStored("x\x85\x80", "2");
    const std::string archive = Write(b);
    const TOutcome o = Run({"test", "--codepage", "932", archive});
    EXPECT_EQ(o.ExitCode, 1);
    EXPECT_EQ(o.Out, "1\tx\uFFFD\tDatei x\uFFFD kann nicht erstellt werden\n");
}

TEST_F(TCliTest, extractToStandardOutput)
{
    const std::string data(1 << 20, 'd'); // far more than a pipe holds
    TArchiveBuilder b;
    b.AddStored("small", "small");
    b.AddCompressed("big", {data, data});
    const std::string archive = Write(b);
    const TOutcome whole = Run({"extract", archive, "1", "-"});
    EXPECT_EQ(whole.ExitCode, 0);
    EXPECT_EQ(whole.Out, data + data);
    EXPECT_EQ(whole.Err, "");

    // A reader that goes away after ten bytes ends the program at once,
    // quietly.
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    TCli cli(FDir, {"extract", archive, "1", "-"}, -1, ends[1]);
    ::close(ends[1]);
    char head[10];
    ASSERT_EQ(::read(ends[0], head, sizeof head), 10);
    ::close(ends[0]);
    const TOutcome cut = cli.Wait();
    EXPECT_TRUE(cut.ExitCode == -SIGPIPE || cut.ExitCode == 1) << cut.ExitCode;
    EXPECT_EQ(cut.Err, "");
}

TEST_F(TCliTest, extractAllRefusesWhatTheDiskCannotHold)
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

// Entries that share compressed data would keep the run busy for hours on a
// small archive: refused before anything is read or written, unless asked.
TEST_F(TCliTest, sharedDataIsRefusedBeforeAnyWork)
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

TEST_F(TCliTest, usageErrorsAndHelp)
{
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"list"},
        {"list", "a", "-b"},
        {"extract", "a", "0"},
        {"extract-all", "a"},
        {"extract-all", "a", ""},
        {"unpack", "a", "b"},
        {"--help", "list"},
        {"--version", "list"},
        {"extract-all", "a", "d", "--codepage"},
        {"list", "a", "--codepage", "1259"},
        {"list", "a", "--codepage=utf-16"},
        {"extract-all", "a", "--codepage", "850", "b"},
        {"--codepage", "raw", "list", "a"},
    };
    for (const auto &args : wrong) {
        const TOutcome o = Run(args);
        EXPECT_EQ(o.ExitCode, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(o.Err, Usage());
        EXPECT_EQ(o.Out, "");
    }
    const TOutcome help = Run({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.starts_with("usage: trovel-cli list ARCHIVE [PATTERN...]\n"));
    EXPECT_EQ(help.Err, "");
    const TOutcome version = Run({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out + version.Err, "trovel-cli 1.0\n");
}

TEST_F(TCliTest, extractAllIsSilentWhenNotOnATerminal)
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

TEST_F(TCliTest, progressIsCutToTheTerminal)
{
    TArchiveBuilder b;
    // "ä", an escape, a zero width space, a long name
    b.AddStored("\xC3\xA4\x1B\u200B" + std::string(40, 'n'), "1");
    b.AddStored("second", "2");
    const std::string archive = Write(b);
    for (const std::string command : {"extract-all", "test"}) {
        std::vector<std::string> args = {command, archive};
        if (command == "extract-all")
            args.push_back(Path("out"));
        const TOutcome o = RunOnTerminal(args, false);
        EXPECT_EQ(o.ExitCode, 0) << command;
        // 29 columns: the count, the percentage, "ä", "?" for the escape and
        // for each byte of the zero width space, 17 "n".
        const std::string first = "\r1/2 0% \xC3\xA4????" + std::string(17, 'n') + "\033[K";
        EXPECT_TRUE(o.Err.starts_with(first)) << o.Err;
        EXPECT_TRUE(o.Err.ends_with("\r\033[K")) << o.Err; // the line is erased at the end
    }
    EXPECT_EQ(ReadFile(Path("out/second")), "2");
}

TEST_F(TCliTest, namesAreEscapedOnATerminal)
{
    TArchiveBuilder b;
    b.AddStored("\x1B[2Jclear", "1");
    b.AddStored("osc\x1B]52;c;aGk=\x07", "2");
    b.AddCompressedRaw("bad\x1B[31m", {{"not zlib", 5}}, 5);
    b.AddStored("raw\xFF", "");
    const std::string archive = Write(b);
    TArchiveBuilder u;                     // UTF-8 names
    u.AddStored("safe\u202Etxt.exe", "0"); // shows as "safeexe.txt"
    u.AddStored("x\\e[2J\u200B", "1");     // a backslash, not an escape
    const std::string unicode = Write(u, "unicode.arc");
    const std::string bad = "bad\\e[31m";
    struct TCase
    {
        std::vector<std::string> Args;
        bool StdoutToo;
        std::string Shown; // a part of what the terminal shows
    };
    const TCase cases[] = {
        {{"list", archive},
         true,
         "0\t1\t1\t\\e[2Jclear\n1\t1\t1\tosc\\e]52;c;aGk=\\x07\n2\t3\t5\t" + bad + "\n"},
        {{"list", "--codepage=raw", archive}, true, "3\t1\t0\traw\\xFF\n"},
        {{"list", unicode}, true, "0\t1\t1\tsafe\\u202Etxt.exe\n1\t1\t1\tx\\\\e[2J\\u200B\n"},
        {{"test", archive}, true, "2\t" + bad + "\tDaten von " + bad + " sind beschädigt\n"},
        {{"extract-all", archive, Path("out")},
         false,
         "trovel-cli: " + bad + ": Daten von " + bad + " sind beschädigt\n"},
    };
    for (const TCase &c : cases) {
        const TOutcome o = RunOnTerminal(c.Args, c.StdoutToo);
        EXPECT_EQ(o.ExitCode, c.Args[0] == "list" ? 0 : 1);
        EXPECT_NE(o.Err.find(c.Shown), std::string::npos) << o.Err;
        EXPECT_EQ(o.Err.find("\x1B[2J"), std::string::npos);
        EXPECT_EQ(o.Err.find("\x1B]52"), std::string::npos);
        EXPECT_EQ(o.Err.find("\u202E"), std::string::npos);
    }
    // Into a file, the names stay as they are.
    const TOutcome piped = Run({"list", unicode});
    EXPECT_EQ(piped.Out, "0\t1\t1\tsafe\u202Etxt.exe\n1\t1\t1\tx\\e[2J\u200B\n");
}

TEST_F(TCliTest, extractWritesToTheNameGivenAsItStands)
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

TEST_F(TCliTest, extractEndsWhenThePipeItWritesIsClosed)
{
    // trovel-cli extract A 0 /dev/stdout | head -c 10
    TArchiveBuilder b;
    b.AddStored("big", std::string(1 << 20, 'x'));
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    TCli cli(FDir, {"extract", Write(b), "0", "/dev/stdout"}, -1, ends[1]);
    ::close(ends[1]);
    char head[10];
    EXPECT_EQ(::read(ends[0], head, sizeof head), 10);
    ::close(ends[0]);
    EXPECT_EQ(cli.Wait().ExitCode, -SIGPIPE);
}

TEST_F(TCliTest, interruptEndsASingleExtractAtOnce)
{
    // Held in open() by a FIFO without a reader, or in write() by a reader
    // that reads nothing.
    const std::string data(1 << 20, 'p');
    TArchiveBuilder b;
    b.AddStored("dir/long entry", data);
    const std::string archive = Write(b);
    for (const bool withReader : {false, true}) {
        const std::string fifo = Path(withReader ? "read" : "unread");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const int reader = withReader ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        TCli cli(FDir, {"extract", archive, "0", fifo});
        WaitUntil([&] { return SleepsIn(cli.Pid(), withReader ? SYS_write : SYS_openat); });
        ASSERT_EQ(::kill(cli.Pid(), SIGINT), 0);
        const TOutcome o = cli.Wait();
        EXPECT_EQ(o.ExitCode, 130);
        EXPECT_EQ(o.Err, "trovel-cli: dir/long entry: interrupted, left unfinished\n");
        EXPECT_TRUE(fs::is_fifo(fifo));
        if (reader >= 0)
            ::close(reader);
    }
}

TEST_F(TCliTest, interruptStopsBeforeTheNextEntry)
{
    // The run is held drawing the progress line of its first entry, which it
    // has announced and not yet begun.
    TArchiveBuilder b;
    b.AddStored("first", "1");
    b.AddStored("second", "2");
    const std::string archive = Write(b);
    for (const std::string command : {"extract-all", "test"})
        for (const int interrupts : {1, 2}) {
            SCOPED_TRACE(command);
            TTerminal terminal;
            terminal.SuspendOutput(true);
            const fs::path out = FDir / (command + std::to_string(interrupts));
            std::vector<std::string> args = {command, archive};
            if (command == "extract-all")
                args.push_back(out.string());
            TCli cli(FDir, args, terminal.Slave());
            WaitUntil([&] { return SleepsIn(cli.Pid(), SYS_write); });
            ASSERT_EQ(::kill(cli.Pid(), SIGINT), 0);
            if (interrupts == 2) {
                WaitUntil([&] { return !InterruptPending(cli.Pid()); });
                ASSERT_EQ(::kill(cli.Pid(), SIGINT), 0);
            }
            terminal.SuspendOutput(false);
            const TOutcome o = cli.Wait();
            const std::string shown = terminal.Shown();
            EXPECT_EQ(o.ExitCode, 130);
            if (interrupts == 1) { // the entry in hand is finished, the next not begun
                EXPECT_EQ(ReadFile(out / "first"), command == "test" ? "" : "1");
                EXPECT_FALSE(fs::exists(out / "second"));
                EXPECT_TRUE(shown.ends_with("first\033[K\r\n")) << shown; // the line stays
            } else { // at once, the line erased
                EXPECT_FALSE(fs::exists(out));
                EXPECT_EQ(shown, "\r\033[Ktrovel-cli: first: interrupted, left unfinished\r\n");
            }
        }
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no program; running them does.
    if (argc == 2)
        CliPath = argv[1];
    else if (!::testing::GTEST_FLAG(list_tests)) {
        std::fprintf(stderr, "usage: CliTest PATH-OF-TROVEL-CLI\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
