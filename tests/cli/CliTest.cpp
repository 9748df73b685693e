// trovel-cli run as a process: output, files, messages and exit codes.
#include "ArchiveBuilder.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
        const int status = posix_spawn(&FPid, CliPath.c_str(), &actions, nullptr, pointers.data(),
                                       envPointers.data());
        posix_spawn_file_actions_destroy(&actions);
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
    return "usage: trovel-cli list ARCHIVE [--codepage CP]\n"
           "       trovel-cli extract ARCHIVE INDEX OUTFILE [--codepage CP]\n"
           "       trovel-cli extract-all ARCHIVE DIR [--codepage CP]\n"
           "       trovel-cli --help\n"
           "\n"
           "  list         one line per entry: index, storage mode, size and\n"
           "               name, separated by tabs\n"
           "  extract      writes entry INDEX (0 to count - 1) to OUTFILE\n"
           "  extract-all  writes every entry below DIR, creating its folders\n"
           "\n"
           "  --codepage CP  reads the names in code page CP (874, 932, 936, 949,\n"
           "               950, 1250 to 1258) or utf-8; raw keeps the bytes as\n"
           "               stored. Without it, names are UTF-8 when all of them\n"
           "               are, else in the code page of the locale's language.\n"
           "\n"
           "Exit status: 0 done, 1 failed, 2 usage error, 130 stopped by Ctrl+C.\n";
}

// A name that is not UTF-8, and its text in code page 1252, the page of the
// C.UTF-8 locale the tests run in.
const std::string OddName = "bytes/\x80\xFF\t tab";
const std::string OddNameText = "bytes/\u20AC\u00FF\t tab";

std::string shownName(const std::string &stored)
{
    return stored == OddName ? OddNameText : stored;
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
    b.AddStored(OddName, std::string(70000, '\xAB'));
    b.AddStored("empty", "");
    b.ScatterData(9);
    return b;
}

} // namespace

TEST_F(CliTest, listPrintsEveryEntryWithItsName)
{
    const ArchiveBuilder b = mixedArchive();
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
        {"unpack", "a", "b"},
        {"--help", "list"},
        {"--version"},
        {"list", "a", "--codepage"},
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
    EXPECT_EQ(help.out, usage());
    EXPECT_EQ(help.err, "");
}

TEST_F(CliTest, extractAllIsSilentWhenNotOnATerminal)
{
    const ArchiveBuilder b = mixedArchive();
    const std::string archive = write(b);
    for (const bool raw : {false, true}) {
        const std::string out = raw ? "raw" : "out";
        const Outcome o = raw ? run({"extract-all", "--codepage", "raw", archive, path(out)})
                              : run({"extract-all", archive, path(out)});
        EXPECT_EQ(o.exitCode, 0);
        EXPECT_EQ(o.out + o.err, "");
        for (int i = 0; i < b.EntryCount(); ++i) {
            const std::string name = raw ? b.Name(i) : shownName(b.Name(i));
            EXPECT_EQ(readFile(dir / out / name), b.Expected(i)) << name;
        }
    }
}

TEST_F(CliTest, extractAllShowsProgressCutToTheTerminal)
{
    int master = -1, slave = -1;
    winsize size{};
    size.ws_col = 30;
    size.ws_row = 10;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, &size), 0);
    ArchiveBuilder b;
    b.AddStored("\xC3\xA4\x1B" + std::string(40, 'n'), "1"); // "ä", an escape, a long name
    b.AddStored("second", "2");
    Cli cli(dir, {"extract-all", write(b), path("out")}, slave);
    ::close(slave);
    const Outcome o = cli.wait();

    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(got));
    ::close(master);
    EXPECT_EQ(o.exitCode, 0);
    // 29 columns: the count, the percentage, "ä", "?" for the escape, 20 "n".
    const std::string first = "\r1/2 0% \xC3\xA4?" + std::string(20, 'n') + "\033[K";
    EXPECT_TRUE(shown.starts_with(first)) << shown;
    EXPECT_TRUE(shown.ends_with("\r\033[K")) << shown; // the line is erased at the end
    EXPECT_EQ(readFile(path("out/second")), "2");
}

TEST_F(CliTest, interruptStopsBeforeTheNextEntry)
{
    // The second entry is written into a pipe that the test reads: the run
    // is held inside that entry until the test has sent Ctrl+C's signal.
    const std::string data(200000, 'p');
    ArchiveBuilder b;
    b.AddStored("first", "1");
    b.AddStored("pipe", data);
    b.AddStored("third", "3");
    b.AddStored("fourth", "4");
    const std::string archive = write(b);
    fs::create_directory(dir / "out");
    ASSERT_EQ(::mkfifo(path("out/pipe").c_str(), 0600), 0);
    const int pipe = ::open(path("out/pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(pipe, 0);

    Cli cli(dir, {"extract-all", archive, path("out")});
    pollfd ready{pipe, POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 60000), 1) << "the run never reached the pipe";
    ASSERT_EQ(::kill(cli.pid(), SIGINT), 0);
    ::fcntl(pipe, F_SETFL, 0);
    std::string received;
    char buffer[65536];
    for (ssize_t got; (got = ::read(pipe, buffer, sizeof buffer)) > 0;)
        received.append(buffer, static_cast<std::size_t>(got));
    ::close(pipe);
    const Outcome o = cli.wait();

    EXPECT_EQ(o.exitCode, 130);
    EXPECT_EQ(o.out + o.err, "");
    EXPECT_EQ(received, data); // the entry in hand is finished
    EXPECT_EQ(readFile(path("out/first")), "1");
    EXPECT_FALSE(fs::exists(path("out/third")));
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
