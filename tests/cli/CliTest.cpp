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
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;
using trovel::testing::Deflate;
using trovel::testing::ReadFile;
using trovel::testing::TArchiveBuilder;
using trovel::testing::TProcess;
using trovel::testing::TRawPart;
using trovel::testing::TreeOf;
using trovel::testing::TTempDir;
using trovel::testing::WriteFile;

namespace {

std::string CliPath; // from the command line of the test program

struct Outcome
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A running trovel-cli. Its output goes to files in the test's folder, or to
// descriptors the test holds: a terminal, a pipe.
class Cli final
{
public:
    Cli(const fs::path &Folder, const std::vector<std::string> &Args, int StderrHandle = -1,
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

    pid_t pid() const { return FProcess.Pid(); }

    // Killed by a signal shows as its negative number, never as an exit code.
    Outcome wait()
    {
        Outcome outcome;
        outcome.exitCode = FProcess.Wait();
        outcome.out = ReadFile(FOut);
        outcome.err = ReadFile(FErr);
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
class Terminal final
{
public:
    explicit Terminal(unsigned short columns = 80)
    {
        winsize size{};
        size.ws_col = columns;
        size.ws_row = 10;
        if (::openpty(&FMaster, &FSlave, nullptr, nullptr, &size) != 0)
            throw std::runtime_error("openpty failed");
        ::fcntl(FMaster, F_SETFD, FD_CLOEXEC);
        ::fcntl(FSlave, F_SETFD, FD_CLOEXEC);
    }
    ~Terminal()
    {
        ::close(FMaster);
        if (FSlave >= 0)
            ::close(FSlave);
    }
    Terminal(const Terminal &) = delete;
    Terminal &operator=(const Terminal &) = delete;

    int slave() const { return FSlave; }
    void suspendOutput(bool suspend) const { ::tcflow(FSlave, suspend ? TCOOFF : TCOON); }

    // Everything shown, once the program has ended.
    std::string shown()
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
std::string procText(pid_t pid, const char *file)
{
    return ReadFile("/proc/" + std::to_string(pid) + "/" + file);
}

// An interruptible sleep: waiting for a reader or for the terminal, not for
// the disk.
bool sleepsIn(pid_t pid, long call)
{
    return procText(pid, "stat").find(") S ") != std::string::npos &&
           procText(pid, "syscall").starts_with(std::to_string(call) + " ");
}

bool interruptPending(pid_t pid)
{
    const std::string status = procText(pid, "status");
    for (const std::string field : {"\nSigPnd:", "\nShdPnd:"}) {
        const std::size_t at = status.find(field);
        if (at != std::string::npos &&
            (std::stoull(status.substr(at + field.size()), nullptr, 16) >> (SIGINT - 1) & 1))
            return true;
    }
    return false;
}

void waitUntil(const std::function<bool()> &condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the program was never held";
        ::sched_yield();
    }
}

class CliTest : public ::testing::Test
{
protected:
    CliTest() : dir(scratch.Path()) {}

    Outcome run(const std::vector<std::string> &args) { return Cli(dir, args).wait(); }
    // stderr, and stdout when asked, go to a terminal 30 columns wide, which
    // passes the bytes on as they are; err holds what it received.
    Outcome runOnTerminal(const std::vector<std::string> &args, bool stdoutToo)
    {
        Terminal terminal(30);
        termios mode{};
        ::tcgetattr(terminal.slave(), &mode);
        mode.c_oflag &= ~OPOST;
        ::tcsetattr(terminal.slave(), TCSANOW, &mode);
        Outcome o = Cli(dir, args, terminal.slave(), stdoutToo ? terminal.slave() : -1).wait();
        o.err = terminal.shown();
        return o;
    }
    std::string path(const std::string &name) const { return (dir / name).string(); }
    std::string write(const TArchiveBuilder &b, const std::string &name = "a.arc")
    {
        b.WriteTo(path(name));
        return path(name);
    }

    TTempDir scratch;
    fs::path dir;
};

// The usage text as --help prints it.
std::string usage()
{
    static const std::string text = [] {
        const TTempDir dir;
        return Cli(dir.Path(), {"--help"}).wait().out;
    }();
    return text;
}

// A name that is not UTF-8, and its text in code page 1252, the page of the
// C.UTF-8 locale the tests run in.
const std::string OddName = "bytes/\x80\xFF\t tab";
const std::string OddNameText = "bytes/\u20AC\u00FF\t tab";

std::string shownName(const std::string &stored)
{
    return stored == OddName ? OddNameText : stored;
}

TArchiveBuilder mixedArchive()
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

TEST_F(CliTest, listPrintsEveryEntryWithItsName)
{
    const TArchiveBuilder b = mixedArchive();
    const std::string archive = write(b);
    struct Case
    {
        std::vector<std::string> args;
        std::string oddName;
    };
    const Case cases[] = {
        {{"list", archive}, OddNameText},
        {{"list", archive, "--codepage", "raw"}, OddName},
        {{"list", "--codepage=RAW", archive}, OddName},
        {{"list", archive, "--codepage", "utf-8"}, "bytes/\uFFFD\uFFFD\t tab"},
        {{"list", archive, "--codepage", "raw", "--codepage", "1252"}, OddNameText},
    };
    for (const Case &c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.exitCode, 0);
        EXPECT_EQ(o.out, "0\t1\t6\treadme.txt\n"
                         "1\t3\t" +
                             std::to_string(b.Expected(1).size()) +
                             "\tdata/parts.bin\n"
                             "2\t4294967295\t4294967295\tdata/other mode\n"
                             "3\t1\t70000\t" +
                             c.oddName +
                             "\n"
                             "4\t1\t0\tempty\n");
        EXPECT_EQ(o.err, "");
    }

    const Outcome empty = run({"list", write(TArchiveBuilder(), "empty.arc")});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
}

TEST_F(CliTest, extractWritesEachEntryExactly)
{
    const TArchiveBuilder b = mixedArchive();
    const std::string archive = write(b);
    for (int i = 0; i < b.EntryCount(); ++i) {
        const Outcome o = run({"extract", archive, std::to_string(i), path("out")});
        EXPECT_EQ(o.exitCode, 0) << o.err;
        EXPECT_EQ(o.out + o.err, "");
        EXPECT_EQ(ReadFile(path("out")), b.Expected(i)) << b.Name(i);
    }
}

TEST_F(CliTest, extractChecksTheIndex)
{
    TArchiveBuilder b;
    b.AddStored("a", "a");
    b.AddStored("b", "b");
    b.AddStored("c", "c");
    const std::string archive = write(b);
    const std::string empty = write(TArchiveBuilder(), "empty.arc");
    struct Case
    {
        std::string archive, index;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {archive, "3", 1, "trovel-cli: index 3 out of range (0 to 2)\n"},
        {archive, "-1", 1, "trovel-cli: index -1 out of range (0 to 2)\n"},
        {archive, "99999999999999999999", 1,
         "trovel-cli: index 99999999999999999999 out of range (0 to 2)\n"},
        {empty, "0", 1, "trovel-cli: index 0 out of range (the archive has no entries)\n"},
        {archive, "x", 2, usage()},
        {archive, "1x", 2, usage()},
        {archive, " 1", 2, usage()},
        {archive, "", 2, usage()},
    };
    for (const Case &c : cases) {
        const Outcome o = run({"extract", c.archive, c.index, path("out")});
        EXPECT_EQ(o.exitCode, c.exitCode) << c.index;
        EXPECT_EQ(o.err, c.err);
        EXPECT_FALSE(fs::exists(path("out"))) << c.index;
    }
}

TEST_F(CliTest, failuresPrintTheMessage)
{
    TArchiveBuilder damagedPart;
    damagedPart.AddStored("fine", "fine");
    damagedPart.AddCompressedRaw("broken", {{"not zlib", 5}}, 5);
    TArchiveBuilder traversal;
    traversal.AddStored("../escape", "x");
    TArchiveBuilder good = mixedArchive();
    const std::string badDirectory = path("bad.arc");
    WriteFile(badDirectory, "short");
    fs::create_directory(dir / "folder");

    struct Case
    {
        std::vector<std::string> args;
        std::string err;
    };
    const int full = ::open("/dev/full", O_WRONLY);
    const Case cases[] = {
        {{"list", path("missing.arc")},
         "Datei " + path("missing.arc") + " kann nicht geöffnet werden"},
        {{"list", badDirectory}, "Stream-Lesefehler"},
        {{"test", path("missing.arc")},
         "Datei " + path("missing.arc") + " kann nicht geöffnet werden"},
        // failures while an entry is written name the entry
        {{"extract", write(damagedPart, "part.arc"), "1", path("out")},
         "broken: Daten von broken sind beschädigt"},
        {{"extract-all", path("part.arc"), path("all")},
         "broken: Daten von broken sind beschädigt"},
        {{"extract-all", write(traversal, "up.arc"), path("all")},
         "../escape: Eintrag ../escape liegt außerhalb des Zielordners"},
        {{"extract", write(good), "0", path("a.arc")},
         "readme.txt: Datei " + path("a.arc") + " kann nicht erstellt werden"},
        {{"extract", path("a.arc"), "0", path("folder")},
         "readme.txt: Datei " + path("folder") + " kann nicht erstellt werden"},
        {{"extract", path("a.arc"), "3", "/dev/full"},
         OddNameText + ": Stream-Schreibfehler"}, // not escaped into a file
        {{"extract", path("a.arc"), "0", "-"}, "readme.txt: Stream-Schreibfehler"},
    };
    for (const Case &c : cases) {
        // stdout takes nothing
        const Outcome o = Cli(dir, c.args, -1, full).wait();
        EXPECT_EQ(o.exitCode, 1) << c.args[0];
        EXPECT_EQ(o.err, "trovel-cli: " + c.err + "\n");
    }
    EXPECT_EQ(ReadFile(path("all/fine")), "fine"); // written before the damaged entry

    const Outcome o = Cli(dir, {"list", path("a.arc")}, -1, full).wait();
    ::close(full);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "trovel-cli: Stream-Schreibfehler\n"); // tied to no entry
}

TEST_F(CliTest, patternsChooseTheSameEntriesForEveryCommand)
{
    TArchiveBuilder b;
    b.AddStored("textures/sky.tex", "0");
    b.AddStored("textures/a/b.tex", "1");
    b.AddStored("textures2/x.tex", "2");
    b.AddStored("readme.txt", "3");
    b.AddStored("-dash", "4");
    b.AddStored("Textures/up.tex", "5");
    b.AddStored("caf\xe9.txt", "6"); // code page 1252: printed as "café.txt"
    const std::string archive = write(b);
    const auto printed = [&](int i) { return i == 6 ? std::string("café.txt") : b.Name(i); };
    struct Case
    {
        std::vector<std::string> patterns;
        std::vector<int> chosen;
        std::string err; // the unmatched patterns, after everything else
    };
    const Case cases[] = {
        {{"textures/"}, {0, 1}, ""},
        {{"*.tex"}, {0, 1, 2, 5}, ""},
        {{"readme.txt", "*.txt"}, {3, 6}, ""},
        {{"--", "-dash"}, {4}, ""},
        {{"caf?.txt"}, {6}, ""},
        {{"readme.txt", "nope", "Readme*"},
         {3},
         "nothing matches nope\ntrovel-cli: nothing matches Readme*\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.patterns.back());
        const auto withPatterns = [&](std::vector<std::string> args) {
            args.insert(args.end(), c.patterns.begin(), c.patterns.end());
            return run(args);
        };
        const int status = c.err.empty() ? 0 : 1;
        const std::string err = c.err.empty() ? "" : "trovel-cli: " + c.err;
        std::string listed;
        std::set<std::string> files;
        for (const int i : c.chosen) {
            listed += std::to_string(i) + "\t1\t1\t" + printed(i) + "\n";
            files.insert(printed(i));
        }
        const Outcome list = withPatterns({"list", archive});
        EXPECT_EQ(list.exitCode, status);
        EXPECT_EQ(list.out, listed);
        EXPECT_EQ(list.err, err);

        const Outcome test = withPatterns({"test", archive});
        EXPECT_EQ(test.exitCode, status);
        EXPECT_EQ(test.out + test.err, err);

        fs::remove_all(path("out"));
        const Outcome all = withPatterns({"extract-all", archive, path("out")});
        EXPECT_EQ(all.exitCode, status);
        EXPECT_EQ(all.err, err);
        std::set<std::string> written;
        for (const std::string &item : TreeOf(dir / "out")) {
            if (!item.ends_with('/'))
                written.insert(item);
        }
        EXPECT_EQ(written, files);
    }
}

TEST_F(CliTest, testPrintsEachEntryThatWouldFailAndGoesOn)
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
    const std::string archive = write(b);

    const Outcome o = run({"test", archive});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.out, "1\t../escape\tEintrag ../escape liegt außerhalb des Zielordners\n"
                     "2\tdamaged\tDaten von damaged sind beschädigt\n"
                     "3\tcut\tStream-Lesefehler\n"
                     "4\tparts outside\tFehler bei Bereichsprüfung\n");
    EXPECT_EQ(o.err, "");

    const Outcome fine = run({"test", archive, "fine.txt", "packed"});
    EXPECT_EQ(fine.exitCode, 0);
    EXPECT_EQ(fine.out + fine.err, "");
}

TEST_F(CliTest, extractToStandardOutput)
{
    const std::string data(1 << 20, 'd'); // far more than a pipe holds
    TArchiveBuilder b;
    b.AddStored("small", "small");
    b.AddCompressed("big", {data, data});
    const std::string archive = write(b);
    const Outcome whole = run({"extract", archive, "1", "-"});
    EXPECT_EQ(whole.exitCode, 0);
    EXPECT_EQ(whole.out, data + data);
    EXPECT_EQ(whole.err, "");

    // A reader that goes away after ten bytes ends the program at once,
    // quietly.
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    Cli cli(dir, {"extract", archive, "1", "-"}, -1, ends[1]);
    ::close(ends[1]);
    char head[10];
    ASSERT_EQ(::read(ends[0], head, sizeof head), 10);
    ::close(ends[0]);
    const Outcome cut = cli.wait();
    EXPECT_TRUE(cut.exitCode == -SIGPIPE || cut.exitCode == 1) << cut.exitCode;
    EXPECT_EQ(cut.err, "");
}

TEST_F(CliTest, extractAllRefusesWhatTheDiskCannotHold)
{
    // 64 entries share 3,072 part records that each claim 4 GiB but inflate
    // to nothing: 768 TiB claimed by an archive of some 60 KB.
    constexpr int Entries = 64, Parts = 3072;
    TArchiveBuilder b;
    b.AddCompressedRaw("e0", std::vector<TRawPart>(Parts, {Deflate(""), 0xFFFFFFFF}), 0);
    for (int i = 1; i < Entries; ++i) {
        b.AddCompressedRaw("e" + std::to_string(i), {}, 0);
        b.OverrideEntry(i, 7, Parts);
    }
    const std::string archive = write(b);
    const std::string target = path("new/target");
    const Outcome o = run({"extract-all", archive, target});
    EXPECT_EQ(o.exitCode, 1);
    const std::string needed = std::to_string(std::uint64_t{Entries} * Parts * 0xFFFFFFFF);
    EXPECT_TRUE(o.err.starts_with("trovel-cli: extracting needs " + needed + " bytes but only "))
        << o.err;
    EXPECT_NE(o.err.find(" bytes are free in " + target + " ("), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(path("new")));

    const Outcome unchecked = run({"extract-all", "--no-space-check", archive, target});
    EXPECT_EQ(unchecked.exitCode, 0) << unchecked.err;
    EXPECT_EQ(fs::file_size(target + "/e63"), 0u);
}

TEST_F(CliTest, usageErrorsAndHelp)
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
        const Outcome o = run(args);
        EXPECT_EQ(o.exitCode, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(o.err, usage());
        EXPECT_EQ(o.out, "");
    }
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("usage: trovel-cli list ARCHIVE [PATTERN...]\n"));
    EXPECT_EQ(help.err, "");
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out + version.err, "trovel-cli 1.0\n");
}

TEST_F(CliTest, extractAllIsSilentWhenNotOnATerminal)
{
    const TArchiveBuilder b = mixedArchive();
    const std::string archive = write(b);
    for (const bool raw : {false, true}) {
        const std::string out = raw ? "raw" : "out";
        const Outcome o = raw ? run({"extract-all", "--codepage", "raw", archive, path(out)})
                              : run({"extract-all", archive, path(out)});
        EXPECT_EQ(o.exitCode, 0);
        EXPECT_EQ(o.out + o.err, "");
        for (int i = 0; i < b.EntryCount(); ++i) {
            const std::string name = raw ? b.Name(i) : shownName(b.Name(i));
            EXPECT_EQ(ReadFile(dir / out / name), b.Expected(i)) << name;
        }
    }
}

TEST_F(CliTest, progressIsCutToTheTerminal)
{
    TArchiveBuilder b;
    b.AddStored("\xC3\xA4\x1B" + std::string(40, 'n'), "1"); // "ä", an escape, a long name
    b.AddStored("second", "2");
    const std::string archive = write(b);
    for (const std::string command : {"extract-all", "test"}) {
        std::vector<std::string> args = {command, archive};
        if (command == "extract-all")
            args.push_back(path("out"));
        const Outcome o = runOnTerminal(args, false);
        EXPECT_EQ(o.exitCode, 0) << command;
        // 29 columns: the count, the percentage, "ä", "?" for the escape, 20 "n".
        const std::string first = "\r1/2 0% \xC3\xA4?" + std::string(20, 'n') + "\033[K";
        EXPECT_TRUE(o.err.starts_with(first)) << o.err;
        EXPECT_TRUE(o.err.ends_with("\r\033[K")) << o.err; // the line is erased at the end
    }
    EXPECT_EQ(ReadFile(path("out/second")), "2");
}

TEST_F(CliTest, namesAreEscapedOnATerminal)
{
    TArchiveBuilder b;
    b.AddStored("\x1B[2Jclear", "1");
    b.AddStored("osc\x1B]52;c;aGk=\x07", "2");
    b.AddCompressedRaw("bad\x1B[31m", {{"not zlib", 5}}, 5);
    b.AddStored("raw\xFF", "");
    const std::string archive = write(b);
    const std::string bad = "bad\\e[31m";
    struct Case
    {
        std::vector<std::string> args;
        bool stdoutToo;
        std::string shown; // a part of what the terminal shows
    };
    const Case cases[] = {
        {{"list", archive},
         true,
         "0\t1\t1\t\\e[2Jclear\n1\t1\t1\tosc\\e]52;c;aGk=\\x07\n2\t3\t5\t" + bad + "\n"},
        {{"list", "--codepage=raw", archive}, true, "3\t1\t0\traw\\xFF\n"},
        {{"test", archive}, true, "2\t" + bad + "\tDaten von " + bad + " sind beschädigt\n"},
        {{"extract-all", archive, path("out")},
         false,
         "trovel-cli: " + bad + ": Daten von " + bad + " sind beschädigt\n"},
    };
    for (const Case &c : cases) {
        const Outcome o = runOnTerminal(c.args, c.stdoutToo);
        EXPECT_EQ(o.exitCode, c.args[0] == "list" ? 0 : 1);
        EXPECT_NE(o.err.find(c.shown), std::string::npos) << o.err;
        EXPECT_EQ(o.err.find("\x1B[2J"), std::string::npos);
        EXPECT_EQ(o.err.find("\x1B]52"), std::string::npos);
    }
}

TEST_F(CliTest, extractWritesToTheNameGivenAsItStands)
{
    TArchiveBuilder b;
    b.AddStored("e", "entry data");
    const std::string archive = write(b);
    WriteFile(path("linked"), "old contents, longer");
    fs::create_symlink(path("linked"), path("link"));
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    const int fifo = ::open(path("fifo").c_str(), O_RDONLY | O_NONBLOCK);

    for (const std::string &output : {path("link"), std::string("/dev/null"), path("fifo")}) {
        const Outcome o = run({"extract", archive, "0", output});
        EXPECT_EQ(o.exitCode, 0) << output << o.err;
    }
    EXPECT_EQ(ReadFile(path("linked")), "entry data");
    char got[64] = {};
    EXPECT_EQ(::read(fifo, got, sizeof got), 10);
    EXPECT_STREQ(got, "entry data");
    ::close(fifo);
    EXPECT_TRUE(fs::is_symlink(path("link")));
    EXPECT_TRUE(fs::is_fifo(path("fifo")));
}

TEST_F(CliTest, extractEndsWhenThePipeItWritesIsClosed)
{
    // trovel-cli extract A 0 /dev/stdout | head -c 10
    TArchiveBuilder b;
    b.AddStored("big", std::string(1 << 20, 'x'));
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    Cli cli(dir, {"extract", write(b), "0", "/dev/stdout"}, -1, ends[1]);
    ::close(ends[1]);
    char head[10];
    EXPECT_EQ(::read(ends[0], head, sizeof head), 10);
    ::close(ends[0]);
    EXPECT_EQ(cli.wait().exitCode, -SIGPIPE);
}

TEST_F(CliTest, interruptEndsASingleExtractAtOnce)
{
    // Held in open() by a FIFO without a reader, or in write() by a reader
    // that reads nothing.
    const std::string data(1 << 20, 'p');
    TArchiveBuilder b;
    b.AddStored("dir/long entry", data);
    const std::string archive = write(b);
    for (const bool withReader : {false, true}) {
        const std::string fifo = path(withReader ? "read" : "unread");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const int reader = withReader ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        Cli cli(dir, {"extract", archive, "0", fifo});
        waitUntil([&] { return sleepsIn(cli.pid(), withReader ? SYS_write : SYS_openat); });
        ASSERT_EQ(::kill(cli.pid(), SIGINT), 0);
        const Outcome o = cli.wait();
        EXPECT_EQ(o.exitCode, 130);
        EXPECT_EQ(o.err, "trovel-cli: dir/long entry: interrupted, left unfinished\n");
        EXPECT_TRUE(fs::is_fifo(fifo));
        if (reader >= 0)
            ::close(reader);
    }
}

TEST_F(CliTest, interruptStopsBeforeTheNextEntry)
{
    // The run is held drawing the progress line of its first entry, which it
    // has announced and not yet begun.
    TArchiveBuilder b;
    b.AddStored("first", "1");
    b.AddStored("second", "2");
    const std::string archive = write(b);
    for (const std::string command : {"extract-all", "test"})
        for (const int interrupts : {1, 2}) {
            SCOPED_TRACE(command);
            Terminal terminal;
            terminal.suspendOutput(true);
            const fs::path out = dir / (command + std::to_string(interrupts));
            std::vector<std::string> args = {command, archive};
            if (command == "extract-all")
                args.push_back(out.string());
            Cli cli(dir, args, terminal.slave());
            waitUntil([&] { return sleepsIn(cli.pid(), SYS_write); });
            ASSERT_EQ(::kill(cli.pid(), SIGINT), 0);
            if (interrupts == 2) {
                waitUntil([&] { return !interruptPending(cli.pid()); });
                ASSERT_EQ(::kill(cli.pid(), SIGINT), 0);
            }
            terminal.suspendOutput(false);
            const Outcome o = cli.wait();
            const std::string shown = terminal.shown();
            EXPECT_EQ(o.exitCode, 130);
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
