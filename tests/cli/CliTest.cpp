// trovel-cli run as a process: output, files, messages and exit codes.
#include "ArchiveBuilder.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <pty.h>
#include <sched.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;
using trovel::testing::ArchiveBuilder;
using trovel::testing::Deflate;

namespace {

std::string CliPath; // from the command line of the test program

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileAt(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct Outcome
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A running trovel-cli. Its output goes to files in the test's folder, or
// its stderr to a terminal the test holds.
class Cli final
{
public:
    Cli(const fs::path &folder, const std::vector<std::string> &args, int stderrFd = -1,
        int stdoutFd = -1)
        : FOut(folder / "stdout"), FErr(folder / "stderr")
    {
        // Ctrl+C and a closed pipe act as they do at a shell prompt, whatever
        // the test runner set for itself.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (stdoutFd >= 0)
            posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
        else
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, FOut.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (stderrFd >= 0)
            posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
        else
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, FErr.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> argv = {CliPath};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char *> pointers;
        for (std::string &arg : argv)
            pointers.push_back(arg.data());
        pointers.push_back(nullptr);
        std::vector<std::string> env = {"LC_ALL=C.UTF-8"};
        for (char **e = environ; *e; ++e) {
            if (!std::string_view(*e).starts_with("LC_ALL="))
                env.emplace_back(*e);
        }
        std::vector<char *> envPointers;
        for (std::string &e : env)
            envPointers.push_back(e.data());
        envPointers.push_back(nullptr);
        const int status = posix_spawn(&FPid, CliPath.c_str(), &actions, &attributes,
                                       pointers.data(), envPointers.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (status != 0)
            throw std::runtime_error("cannot start " + CliPath);
    }

    pid_t pid() const { return FPid; }

    Outcome wait()
    {
        int status = 0;
        while (::waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
        }
        Outcome outcome;
        // Killed by a signal shows as its negative number, never as an exit code.
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        outcome.out = readFile(FOut);
        outcome.err = readFile(FErr);
        return outcome;
    }

private:
    fs::path FOut, FErr;
    pid_t FPid = -1;
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
    return readFile("/proc/" + std::to_string(pid) + "/" + file);
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
    CliTest()
    {
        std::string pattern = (fs::temp_directory_path() / "trovel-cli-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
    }
    ~CliTest() override { fs::remove_all(dir); }

    Outcome run(const std::vector<std::string> &args) { return Cli(dir, args).wait(); }
    std::string path(const std::string &name) const { return (dir / name).string(); }
    std::string write(const ArchiveBuilder &b, const std::string &name = "a.arc")
    {
        b.WriteTo(path(name));
        return path(name);
    }

    fs::path dir;
};

std::string usage()
{
    return "usage: trovel-cli list ARCHIVE\n"
           "       trovel-cli extract ARCHIVE INDEX OUTFILE\n"
           "       trovel-cli extract-all ARCHIVE DIR\n"
           "       trovel-cli --help\n"
           "\n"
           "  list         one line per entry: index, storage mode, size and\n"
           "               name, separated by tabs\n"
           "  extract      writes entry INDEX (0 to count - 1) to OUTFILE\n"
           "  extract-all  writes every entry below DIR, creating its folders\n"
           "\n"
           "Exit status: 0 done, 1 failed, 2 usage error, 130 stopped by Ctrl+C.\n";
}

ArchiveBuilder mixedArchive()
{
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "row " + std::to_string(i) + "\n";
    ArchiveBuilder b;
    b.AddStored("readme.txt", "hello\n");
    b.AddCompressed("data/parts.bin", {text.substr(0, 100), text.substr(100, 9000), text});
    b.AddOther("data/other mode", 0xFFFFFFFF, 0xFFFFFFFF);
    b.AddStored("bytes/\x80\xFF\t tab", std::string(70000, '\xAB'));
    b.AddStored("empty", "");
    b.ScatterData(9);
    return b;
}

} // namespace

TEST_F(CliTest, listPrintsEveryEntryAsStored)
{
    const ArchiveBuilder b = mixedArchive();
    const Outcome o = run({"list", write(b)});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(o.out, "0\t1\t6\treadme.txt\n"
                     "1\t3\t" +
                         std::to_string(b.Expected(1).size()) +
                         "\tdata/parts.bin\n"
                         "2\t4294967295\t4294967295\tdata/other mode\n"
                         "3\t1\t70000\tbytes/\x80\xFF\t tab\n"
                         "4\t1\t0\tempty\n");
    EXPECT_EQ(o.err, "");

    const Outcome empty = run({"list", write(ArchiveBuilder(), "empty.arc")});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
}

TEST_F(CliTest, extractWritesEachEntryExactly)
{
    const ArchiveBuilder b = mixedArchive();
    const std::string archive = write(b);
    for (int i = 0; i < b.EntryCount(); ++i) {
        const Outcome o = run({"extract", archive, std::to_string(i), path("out")});
        EXPECT_EQ(o.exitCode, 0) << o.err;
        EXPECT_EQ(o.out + o.err, "");
        EXPECT_EQ(readFile(path("out")), b.Expected(i)) << b.Name(i);
    }
}

TEST_F(CliTest, extractChecksTheIndex)
{
    ArchiveBuilder b;
    b.AddStored("a", "a");
    b.AddStored("b", "b");
    b.AddStored("c", "c");
    const std::string archive = write(b);
    const std::string empty = write(ArchiveBuilder(), "empty.arc");
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
    ArchiveBuilder damagedPart;
    damagedPart.AddStored("fine", "fine");
    damagedPart.AddCompressedRaw("broken", {{"not zlib", 5}}, 5);
    ArchiveBuilder traversal;
    traversal.AddStored("../escape", "x");
    ArchiveBuilder good = mixedArchive();
    const std::string badDirectory = path("bad.arc");
    std::ofstream(badDirectory) << "short";
    fs::create_directory(dir / "folder");

    struct Case
    {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"list", path("missing.arc")},
         "Datei " + path("missing.arc") + " kann nicht geöffnet werden"},
        {{"list", badDirectory}, "Stream-Lesefehler"},
        {{"extract", write(damagedPart, "part.arc"), "1", path("out")},
         "Daten von broken sind beschädigt"},
        {{"extract-all", path("part.arc"), path("all")}, "Daten von broken sind beschädigt"},
        {{"extract-all", write(traversal, "up.arc"), path("all")},
         "Eintrag ../escape liegt außerhalb des Zielordners"},
        {{"extract", write(good), "0", path("a.arc")},
         "Datei " + path("a.arc") + " kann nicht erstellt werden"},
        {{"extract", path("a.arc"), "0", path("folder")},
         "Datei " + path("folder") + " kann nicht erstellt werden"},
        {{"extract", path("a.arc"), "0", "/dev/full"}, "Stream-Schreibfehler"},
    };
    for (const Case &c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.exitCode, 1) << c.args[0];
        EXPECT_EQ(o.err, "trovel-cli: " + c.err + "\n");
        EXPECT_EQ(o.out, "");
    }
    EXPECT_EQ(readFile(path("all/fine")), "fine"); // written before the damaged entry

    // stdout that takes nothing
    const int full = ::open("/dev/full", O_WRONLY);
    const Outcome o = Cli(dir, {"list", path("a.arc")}, -1, full).wait();
    ::close(full);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "trovel-cli: Stream-Schreibfehler\n");
}

TEST_F(CliTest, usageErrorsAndHelp)
{
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"list"},
        {"list", "a", "b"},
        {"extract", "a", "0"},
        {"extract-all", "a"},
        {"extract-all", "a", ""},
        {"unpack", "a", "b"},
        {"--help", "list"},
        {"--version"},
    };
    for (const auto &args : wrong) {
        const Outcome o = run(args);
        EXPECT_EQ(o.exitCode, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(o.err, usage());
        EXPECT_EQ(o.out, "");
    }
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, usage());
    EXPECT_EQ(help.err, "");
}

TEST_F(CliTest, extractAllIsSilentWhenNotOnATerminal)
{
    const ArchiveBuilder b = mixedArchive();
    const Outcome o = run({"extract-all", write(b), path("out")});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(o.out + o.err, "");
    for (int i = 0; i < b.EntryCount(); ++i)
        EXPECT_EQ(readFile(dir / "out" / b.Name(i)), b.Expected(i)) << b.Name(i);
}

TEST_F(CliTest, extractAllShowsProgressCutToTheTerminal)
{
    Terminal terminal(30);
    ArchiveBuilder b;
    b.AddStored("\xC3\xA4\x1B" + std::string(40, 'n'), "1"); // "ä", an escape, a long name
    b.AddStored("second", "2");
    const Outcome o = Cli(dir, {"extract-all", write(b), path("out")}, terminal.slave()).wait();
    const std::string shown = terminal.shown();
    EXPECT_EQ(o.exitCode, 0);
    // 29 columns: the count, the percentage, "ä", "?" for the escape, 20 "n".
    const std::string first = "\r1/2 0% \xC3\xA4?" + std::string(20, 'n') + "\033[K";
    EXPECT_TRUE(shown.starts_with(first)) << shown;
    EXPECT_TRUE(shown.ends_with("\r\033[K")) << shown; // the line is erased at the end
    EXPECT_EQ(readFile(path("out/second")), "2");
}

TEST_F(CliTest, extractWritesToTheNameGivenAsItStands)
{
    ArchiveBuilder b;
    b.AddStored("e", "entry data");
    const std::string archive = write(b);
    writeFileAt(path("linked"), "old contents, longer");
    fs::create_symlink(path("linked"), path("link"));
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    const int fifo = ::open(path("fifo").c_str(), O_RDONLY | O_NONBLOCK);

    for (const std::string &output : {path("link"), std::string("/dev/null"), path("fifo")}) {
        const Outcome o = run({"extract", archive, "0", output});
        EXPECT_EQ(o.exitCode, 0) << output << o.err;
    }
    EXPECT_EQ(readFile(path("linked")), "entry data");
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
    ArchiveBuilder b;
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
    ArchiveBuilder b;
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
    ArchiveBuilder b;
    b.AddStored("first", "1");
    b.AddStored("second", "2");
    const std::string archive = write(b);
    for (const int interrupts : {1, 2}) {
        Terminal terminal;
        terminal.suspendOutput(true);
        const fs::path out = dir / ("out" + std::to_string(interrupts));
        Cli cli(dir, {"extract-all", archive, out.string()}, terminal.slave());
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
            EXPECT_EQ(readFile(out / "first"), "1");
            EXPECT_FALSE(fs::exists(out / "second"));
            EXPECT_TRUE(shown.ends_with("first\033[K\r\n")) << shown; // the line stays
        } else {                                                      // at once, the line erased
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
        std::fprintf(stderr, "usage: cli_tests PATH-OF-TROVEL-CLI\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
