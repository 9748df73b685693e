// Benchmarks of trovel-cli as a process, each printed beside its target:
//  1. list of a 1,000,000-entry archive against a plain loop that reads the
//     directory and prints the same columns; list with one PATTERN against
//     list: choosing entries may cost at most half as much again.
//  2. extract-all and test of the ~400 MB mixed archive, on every online CPU
//     and on one thread, against the plain single-threaded zlib loop
//     (PlainInflateLoop) that extracts the same archive.
//  3. The peak memory of extract-all -j 2 of that archive.
//  4. extract-all of 1,000,000 empty entries, and with EARLIER-TROVEL-CLI (an
//     earlier build) given, the same run of it.
// Usage: bench-cli [SCRATCH-FOLDER [TROVEL-CLI [EARLIER-TROVEL-CLI]]]
// (default /dev/shm and the trovel-cli of this build)
#include "MixedArchive.h"
#include "PlainLoops.h"
#include "Process.h"
#include "TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace trovel;
using namespace trovel::bench;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int Rounds = 3;
constexpr int ListEntries = WideArchiveEntries;

std::string CliPath = TROVEL_CLI_PATH;
std::string EarlierCliPath;

// Runs a trovel-cli with stdout and stderr on /dev/null; returns its seconds.
double TimeCli(const std::string &Program, const std::vector<std::string> &Args)
{
    std::vector<std::string> arguments = {Program};
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
double BestOf(const std::vector<std::string> &Args, TCleanUp CleanUp,
              const std::string &Program = CliPath)
{
    double best = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        best = std::min(best, TimeCli(Program, Args));
        CleanUp();
    }
    return best;
}

template <typename TRun>
double BestOfRuns(TRun Run)
{
    double best = 1e9;
    for (int round = 0; round < Rounds; ++round)
        best = std::min(best, Run());
    return best;
}

void BenchList(const fs::path &Scratch)
{
    const fs::path archive = Scratch / "million.arc";
    WriteWideArchive(archive.string(), ListEntries);
    const auto none = [] {};
    const double list = BestOf({"list", archive.string()}, none);
    const double plain = BestOfRuns([&] {
        std::FILE *out = std::fopen("/dev/null", "w");
        const double seconds = PlainListLoop(archive.string(), out);
        std::fclose(out);
        return seconds;
    });
    std::printf("list of %d entries: best of %d %.3f s; plain loop (read the directory, printf "
                "index, mode, size, name) %.3f s: %.2f x the plain loop (target <= 1.10)\n",
                ListEntries, Rounds, list, plain, list / plain);
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
    std::fflush(stdout);

    // Writing a million files: what the write path costs per entry.
    const fs::path out = Scratch / "million-out";
    const auto clean = [&] { fs::remove_all(out); };
    const double now = BestOf({"extract-all", archive.string(), out.string()}, clean);
    std::printf("extract-all of %d empty entries: best of %d %.3f s", ListEntries, Rounds, now);
    if (!EarlierCliPath.empty()) {
        const double earlier =
            BestOf({"extract-all", archive.string(), out.string()}, clean, EarlierCliPath);
        std::printf("; earlier build %.3f s: %.2f x its time (target <= 1.00)", earlier,
                    now / earlier);
    }
    std::printf("\n");
    std::fflush(stdout);
    fs::remove(archive);
}

// Runs one trovel-cli in a child of a fresh copy of this program, whose only
// child it is, and reads the child's peak memory from the rusage of its
// children.
long PeakKib(const std::vector<std::string> &Args)
{
    const fs::path report =
        fs::temp_directory_path() / ("bench-cli-peak-" + std::to_string(::getpid()));
    std::vector<std::string> arguments = {fs::read_symlink("/proc/self/exe").string(), "--peak",
                                          report.string(), CliPath};
    arguments.insert(arguments.end(), Args.begin(), Args.end());
    if (testing::RunQuietly(arguments) != 0)
        throw std::runtime_error("the peak-memory run failed");
    long kib = 0;
    std::ifstream(report) >> kib;
    fs::remove(report);
    return kib;
}

int PeakChild(int Count, char **Arguments)
{
    const std::vector<std::string> arguments(Arguments + 3, Arguments + Count);
    const int status = testing::RunQuietly(arguments);
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    std::ofstream(Arguments[2]) << usage.ru_maxrss << '\n';
    return status;
}

void BenchMixed(const fs::path &Scratch)
{
    const fs::path archive = Scratch / "mixed.arc";
    const fs::path out = Scratch / "out";
    const TMixedArchive info = WriteMixedArchive(archive.string(), MixedArchiveBytes);
    const long cpus = ::sysconf(_SC_NPROCESSORS_ONLN);
    std::printf("Mixed archive: %.1f MB, %d entries, %.1f MB when extracted; %ld CPUs online\n",
                info.Bytes / 1e6, info.Entries(), info.OutputBytes / 1e6, cpus);
    const auto clean = [&] { fs::remove_all(out); };
    const double plain = BestOfRuns([&] {
        const double seconds = PlainInflateLoop(archive.string(), out.string());
        clean();
        return seconds;
    });
    const double extract = BestOf({"extract-all", archive.string(), out.string()}, clean);
    const double extractOne =
        BestOf({"extract-all", "-j", "1", archive.string(), out.string()}, clean);
    const double test = BestOf({"test", archive.string()}, [] {});
    const double testOne = BestOf({"test", "-j", "1", archive.string()}, [] {});
    std::printf("plain zlib loop (one thread): best of %d %.3f s\n", Rounds, plain);
    std::printf("extract-all: %.3f s, %.2f x faster than the plain loop (target >= 3.00); "
                "-j 1: %.3f s, %.2f x\n",
                extract, plain / extract, extractOne, plain / extractOne);
    std::printf("test:        %.3f s, %.2f x faster than the plain loop (target >= 3.50); "
                "-j 1: %.3f s, %.2f x\n",
                test, plain / test, testOne, plain / testOne);
    std::printf("test / extract-all %.2f (target <= 1.00)\n", test / extract);
    std::fflush(stdout);

    long peak = 0;
    for (int round = 0; round < Rounds; ++round) {
        peak = std::max(peak, PeakKib({"extract-all", "-j", "2", archive.string(), out.string()}));
        clean();
    }
    std::printf("extract-all -j 2 peak memory: %ld KiB (target < 32768 KiB)\n", peak);
    std::fflush(stdout);
    fs::remove(archive);
}

} // namespace

int main(int argc, char **argv)
{
    try {
        if (argc >= 4 && std::strcmp(argv[1], "--peak") == 0)
            return PeakChild(argc, argv);
        if (argc > 4) {
            std::fprintf(stderr, "usage: bench-cli [SCRATCH-FOLDER [TROVEL-CLI "
                                 "[EARLIER-TROVEL-CLI]]]\n");
            return 2;
        }
        if (argc >= 3)
            CliPath = argv[2];
        if (argc == 4)
            EarlierCliPath = argv[3];
        std::printf("trovel-cli: %s\n", CliPath.c_str());
        const testing::TTempDir scratch(argc >= 2 ? fs::path(argv[1]) : fs::path("/dev/shm"));
        BenchMixed(scratch.Path());
        BenchList(scratch.Path());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-cli: %s\n", e.what());
        return 1;
    }
    return 0;
}
