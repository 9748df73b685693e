// trovel-cli run as a process, for what needs one: signals, terminals, pipes
// and exit statuses. Everything else runs in-process in CliRunTest.
#include "ArchiveBuilder.h"
#include "Process.h"
#include "TempDir.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
// Terminals, signals, pipes' ends and /proc: the tests that use them are
// POSIX only; Windows runs the others.
#ifndef _WIN32
#include <pty.h>
#include <sched.h>
#include <sys/syscall.h>
#include <termios.h>
#define TROVEL_POSIX_CLI_TESTS 1
#endif

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
        : FOut(BytesOf(Folder / "stdout")), FErr(BytesOf(Folder / "stderr")),
          FProcess(WithProgram(Args))
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

#ifdef TROVEL_POSIX_CLI_TESTS
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

#endif

class TCliTest : public ::testing::Test
{
protected:
    TCliTest() : FDir(FScratch.Path()) {}

    TOutcome Run(const std::vector<std::string> &Args) { return TCli(FDir, Args).Wait(); }
#ifdef TROVEL_POSIX_CLI_TESTS
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
#endif
    std::string Path(const std::string &Name) const
    {
        return (FDir / Name).string();
    }
    std::string Write(const TArchiveBuilder &B, const std::string &Name = "a.arc")
    {
        B.WriteTo(Path(Name));
        return Path(Name);
    }

    TTempDir FScratch;
    fs::path FDir;
};

} // namespace

TEST_F(TCliTest, exitStatusTellsTheOutcome)
{
    TArchiveBuilder b;
    b.AddStored("a", "a");
    const std::string archive = Write(b);
    const TOutcome usage = Run({"list", archive, "--bogus"});
    EXPECT_EQ(usage.ExitCode, 2);
    EXPECT_EQ(usage.Err, "trovel-cli: unknown option '--bogus'\n"
                         "Try 'trovel-cli --help' for more information.\n");
    EXPECT_EQ(Run({"list", archive, "nope"}).ExitCode, 1);
    EXPECT_EQ(Run({"cat", archive, "a"}).Out, "a");
}

TEST_F(TCliTest, jobsChangeNothingButTheSpeed)
{
    // Thirty entries, a damaged one in the middle: every count of threads
    // reports the same entries, writes the same files and ends the same way.
    TArchiveBuilder b;
    for (int i = 0; i < 30; ++i) {
        const std::string name = "f" + std::to_string(i % 4) + "/e" + std::to_string(i);
        const std::string data(5000 + 997 * i, static_cast<char>('a' + i % 26));
        if (i == 17)
            b.AddCompressedRaw(name, {{"not zlib at all", 9000}}, 0);
        else if (i % 2 == 0)
            b.AddCompressed(name, {data, data.substr(0, 300)});
        else
            b.AddStored(name, data);
    }
    const std::string archive = Write(b);
    const fs::path out = FDir / "out";
    const auto run = [&](const std::vector<std::string> &Args) {
        const TOutcome o = Run(Args);
        std::string files;
        for (const std::string &item : TreeOf(out))
            files += item + (item.ends_with('/') ? "" : "=" + ReadFile(out / item)) + "\n";
        fs::remove_all(out);
        return std::vector<std::string>{std::to_string(o.ExitCode), o.Out, o.Err, files};
    };
    const auto one = run({"extract-all", "-j", "1", archive, out.string()});
    EXPECT_EQ(one[0], "1");
    EXPECT_NE(one[3].find("f0/e16="), std::string::npos);
    EXPECT_EQ(one[3].find("f2/e18="), std::string::npos);
    for (const char *jobs : {"2", "4"})
        EXPECT_EQ(run({"extract-all", "--jobs", jobs, archive, out.string()}), one) << jobs;
    EXPECT_EQ(run({"extract-all", archive, out.string()}), one);

    const auto tested = run({"test", archive, "--jobs=1"});
    EXPECT_EQ(tested[1], "17\tf1/e17\tDaten von f1/e17 sind beschädigt\n");
    for (const char *jobs : {"2", "4"})
        EXPECT_EQ(run({"test", "-j", jobs, archive}), tested) << jobs;

    // cat writes the entries before the damaged one, then stops there.
    const auto catted = run({"cat", "-j1", archive, "*"});
    EXPECT_EQ(catted[0], "1");
    EXPECT_NE(catted[1].find(std::string(5000 + 997 * 16, 'q')), std::string::npos);
    for (const char *jobs : {"-j2", "-j4"})
        EXPECT_EQ(run({"cat", jobs, archive, "*"}), catted) << jobs;
}

#ifdef TROVEL_POSIX_CLI_TESTS
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
#endif

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
