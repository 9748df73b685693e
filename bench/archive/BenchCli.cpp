// Benchmarks of trovel-cli as a process, each printed beside its target:
//  1. test against extract-all of the ~400 MB mixed archive: reading every
//     entry back must take no longer than writing it out.
//  2. list with one PATTERN against list of a 1,000,000-entry archive:
//     choosing entries may cost at most half as much again as listing them.
// Usage: bench-cli [SCRATCH-FOLDER [TROVEL-CLI]]   (default /dev/shm and the
// trovel-cli of this build)
#include "MixedArchive.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;
using namespace trovel::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Rounds = 3;
constexpr int ListEntries = WideArchiveEntries;

std::string CliPath = TROVEL_CLI_PATH;

// Runs trovel-cli with stdout and stderr on /dev/null; returns its seconds.
double timeCli(const std::vector<std::string> &args, int expectedStatus = 0)
{
    std::vector<std::string> argv = {CliPath};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> pointers;
    for (std::string &arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, CliPath.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + CliPath);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != expectedStatus)
        throw std::runtime_error("trovel-cli " + args[0] + " ended with an unexpected status");
    return seconds;
}

// The best of Rounds runs; cleanUp runs after each.
template <typename CleanUp>
double bestOf(const std::vector<std::string> &args, CleanUp cleanUp)
{
    double best = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        best = std::min(best, timeCli(args));
        cleanUp();
    }
    return best;
}

void benchTest(const fs::path &scratch)
{
    const fs::path archive = scratch / "mixed.arc";
    const fs::path out = scratch / "out";
    const MixedArchive info = writeMixedArchive(archive.string(), MixedArchiveBytes);
    std::printf("Mixed archive: %.1f MB, %d entries, %.1f MB when extracted\n", info.bytes / 1e6,
                info.entries(), info.outputBytes / 1e6);
    const double extract =
        bestOf({"extract-all", archive.string(), out.string()}, [&] { fs::remove_all(out); });
    const double test = bestOf({"test", archive.string()}, [] {});
    std::printf("trovel-cli test: best of %d %.3f s; extract-all: %.3f s; test / extract-all "
                "%.2f (target <= 1.00)\n",
                Rounds, test, extract, test / extract);
    fs::remove(archive);
}

void benchSelection(const fs::path &scratch)
{
    const fs::path archive = scratch / "million.arc";
    writeWideArchive(archive.string(), ListEntries);
    const auto none = [] {};
    const double list = bestOf({"list", archive.string()}, none);
    std::printf("trovel-cli list of %d entries: best of %d %.3f s\n", ListEntries, Rounds, list);
    struct Pattern
    {
        const char *text;
        const char *what;
    };
    const Pattern patterns[] = {
        {"*.dat", "a wildcard that takes every entry"},
        {"*/sub1?/*7.dat", "a wildcard that takes 1 in 31"},
        {"folder500", "a folder, 1 entry in 997"},
    };
    double worst = 0;
    for (const Pattern &p : patterns) {
        const double chosen = bestOf({"list", archive.string(), p.text}, none);
        worst = std::max(worst, chosen / list);
        std::printf("  list PATTERN %-16s (%s): %.3f s, %.2f x list\n", p.text, p.what, chosen,
                    chosen / list);
    }
    std::printf("Selection with one PATTERN: at most %.2f x list (target <= 1.50)\n", worst);
    fs::remove(archive);
}

} // namespace

int main(int argc, char **argv)
{
    try {
        if (argc > 3) {
            std::fprintf(stderr, "usage: bench-cli [SCRATCH-FOLDER [TROVEL-CLI]]\n");
            return 2;
        }
        if (argc == 3)
            CliPath = argv[2];
        const fs::path base = argc >= 2 ? fs::path(argv[1]) : fs::path("/dev/shm");
        const fs::path scratch = base / ("trovel-bench-cli-" + std::to_string(::getpid()));
        fs::create_directories(scratch);
        benchSelection(scratch);
        benchTest(scratch);
        fs::remove_all(scratch);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-cli: %s\n", e.what());
        return 1;
    }
    return 0;
}
