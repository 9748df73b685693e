// Benchmarks of trovel-cli as a process, each printed beside its target:
//  1. test against extract-all of the ~400 MB mixed archive: reading every
//     entry back must take no longer than writing it out.
//  2. list with one PATTERN against list of a 1,000,000-entry archive:
//     choosing entries may cost at most half as much again as listing them.
//  3. extract-all of that archive: a million small files, where the cost of
//     making each file (not the data) decides the time. Compare the figure
//     with the one of an earlier trovel-cli given as TROVEL-CLI.
// Usage: bench-cli [SCRATCH-FOLDER [TROVEL-CLI]]   (default /dev/shm and the
// trovel-cli of this build)
#include "MixedArchive.h"
#include "Process.h"
#include "TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace trovel;
using namespace trovel::bench;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int Rounds = 3;
constexpr int ListEntries = WideArchiveEntries;

std::string CliPath = TROVEL_CLI_PATH;

// Runs trovel-cli with stdout and stderr on /dev/null; returns its seconds.
double TimeCli(const std::vector<std::string> &Args)
{
    std::vector<std::string> arguments = {CliPath};
    arguments.insert(arguments.end(), Args.begin(), Args.end());
    const auto start = TClock::now();
    const int status = testing::RunQuietly(arguments);
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    if (status != 0)
        throw std::runtime_error("trovel-cli " + Args[0] + " ended with an unexpected status");
    return seconds;
}

// The best of Rounds runs; CleanUp runs after each.
template <typename TCleanUp>
double BestOf(const std::vector<std::string> &Args, TCleanUp CleanUp)
{
    double best = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        best = std::min(best, TimeCli(Args));
        CleanUp();
    }
    return best;
}

void BenchTest(const fs::path &Scratch)
{
    const fs::path archive = Scratch / "mixed.arc";
    const fs::path out = Scratch / "out";
    const TMixedArchive info = WriteMixedArchive(archive.string(), MixedArchiveBytes);
    std::printf("Mixed archive: %.1f MB, %d entries, %.1f MB when extracted\n", info.Bytes / 1e6,
                info.Entries(), info.OutputBytes / 1e6);
    const double extract =
        BestOf({"extract-all", archive.string(), out.string()}, [&] { fs::remove_all(out); });
    const double test = BestOf({"test", archive.string()}, [] {});
    std::printf("trovel-cli test: best of %d %.3f s; extract-all: %.3f s; test / extract-all "
                "%.2f (target <= 1.00)\n",
                Rounds, test, extract, test / extract);
    fs::remove(archive);
}

void BenchSelection(const fs::path &Scratch)
{
    const fs::path archive = Scratch / "million.arc";
    WriteWideArchive(archive.string(), ListEntries);
    const auto none = [] {};
    const double list = BestOf({"list", archive.string()}, none);
    std::printf("trovel-cli list of %d entries: best of %d %.3f s\n", ListEntries, Rounds, list);
    struct TPattern
    {
        const char *Text;
        const char *What;
    };
    const TPattern patterns[] = {
        {"*.dat", "a wildcard that takes every entry"},
        {"*/sub1?/*7.dat", "a wildcard that takes 1 in 31"},
        {"folder500", "a folder, 1 entry in 997"},
    };
    double worst = 0;
    for (const TPattern &p : patterns) {
        const double chosen = BestOf({"list", archive.string(), p.Text}, none);
        worst = std::max(worst, chosen / list);
        std::printf("  list PATTERN %-16s (%s): %.3f s, %.2f x list\n", p.Text, p.What, chosen,
                    chosen / list);
    }
    std::printf("Selection with one PATTERN: at most %.2f x list (target <= 1.50)\n", worst);

    const fs::path out = Scratch / "million";
    const double extract =
        BestOf({"extract-all", archive.string(), out.string()}, [&] { fs::remove_all(out); });
    std::printf("trovel-cli extract-all of %d entries: best of %d %.3f s\n", ListEntries, Rounds,
                extract);
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
        const testing::TTempDir scratch(argc >= 2 ? fs::path(argv[1]) : fs::path("/dev/shm"));
        BenchSelection(scratch.Path());
        BenchTest(scratch.Path());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-cli: %s\n", e.what());
        return 1;
    }
    return 0;
}
