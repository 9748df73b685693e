// Benchmarks of the archive engine, each printed beside its target:
//  1. Open plus GetFileName of every entry of a 1,000,000-entry archive.
//  2. ExtractAll of a ~400 MB mixed archive into a scratch folder, against the
//     bare work of the same run: zlib's one-shot uncompress of every part and
//     a plain copy of every stored entry, written to the same files.
//  3. The peak memory of that ExtractAll, against its largest part (at most
//     one chunk of input and one of output; with ISA-L a second chunk of
//     output and the decoder's state) plus the 61,440-byte copy buffer; and the time and peak
//     memory of ExtractAll on a sparse 4 GiB archive whose one part claims nearly all of it.
// Usage: bench-archive [SCRATCH-FOLDER]   (default /dev/shm)
#include "ArcErrors.h"
#include "ArchiveBuilder.h"
#include "MixedArchive.h"
#include "PlainLoops.h"
#include "Process.h"
#include "ProcessMemory.h"
#include "TempDir.h"
#include "uArcReader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace fs = std::filesystem;
using namespace trovel;
using namespace trovel::bench;
using trovel::testing::StatusKib;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int OpenEntries = WideArchiveEntries;
constexpr int Rounds = 3;

// Keeps the compiler from dropping work whose result is not used.
template <typename T>
void Keep(const T &Value)
{
    asm volatile("" : : "r"(&Value) : "memory");
}

double SecondsSince(TClock::time_point Start)
{
    return std::chrono::duration<double>(TClock::now() - Start).count();
}

// ---- 1. a very large directory ------------------------------------------

void BenchOpen(const fs::path &Scratch)
{
    const fs::path archive = Scratch / "million.arc";
    WriteWideArchive(archive.string(), OpenEntries);
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        const auto start = TClock::now();
        TArcReader reader;
        reader.Open(archive.string());
        for (std::int32_t i = 0; i < reader.GetFileCount(); ++i) {
            const std::string name = reader.GetFileName(i);
            Keep(name);
        }
        times.push_back(SecondsSince(start));
    }
    const double first = times.front();
    std::sort(times.begin(), times.end());
    std::printf("Open + GetFileName of %d entries (%.1f MB archive): first %.3f s, best %.3f s, "
                "median of %zu %.3f s (target < 0.3 s)\n",
                OpenEntries, fs::file_size(archive) / 1e6, first, times.front(), times.size(),
                times[times.size() / 2]);
    fs::remove(archive);
}

// ---- 2./3. a large mixed archive ----------------------------------------

// The bare work: see PlainInflateLoop.
double ReferenceRun(const fs::path &Archive, const fs::path &Target)
{
    return PlainInflateLoop(Archive.string(), Target.string());
}

struct TEngineRun
{
    double Seconds = 0;
    long StartKib = 0;   // resident before Open
    long OpenKib = 0;    // resident with the directory loaded
    long PeakKib = 0;    // VmHWM after ExtractAll
    bool Failed = false; // ExtractAll raised an error
    long Growth() const { return PeakKib - OpenKib; }
};

// ExtractAll runs in a fresh process of this program, so that its peak
// memory is its own and not the generator's.
TEngineRun EngineRun(const fs::path &Archive, const fs::path &Target)
{
    const fs::path report = Target.string() + ".report";
    testing::TProcess extraction({fs::read_symlink("/proc/self/exe").string(), "--extract",
                                  Archive.string(), Target.string(), report.string()});
    extraction.Start();
    if (extraction.Wait() != 0)
        throw std::runtime_error("the extraction process failed");
    TEngineRun run;
    std::ifstream(report) >> run.Seconds >> run.StartKib >> run.OpenKib >> run.PeakKib >>
        run.Failed;
    fs::remove(report);
    return run;
}

int ExtractChild(const std::string &Archive, const std::string &Target, const std::string &Report)
{
    const long startKib = StatusKib("VmRSS");
    const auto start = TClock::now();
    TArcReader reader;
    reader.Open(Archive);
    const long openKib = StatusKib("VmRSS");
    bool failed = false;
    try {
        reader.ExtractAll(Target);
    } catch (const Exception &) {
        failed = true;
    }
    const double seconds = SecondsSince(start);
    std::ofstream(Report) << seconds << ' ' << startKib << ' ' << openKib << ' '
                          << StatusKib("VmHWM") << ' ' << failed << '\n';
    return 0;
}

void BenchExtract(const fs::path &Scratch)
{
    const fs::path archive = Scratch / "mixed.arc";
    const TMixedArchive info = WriteMixedArchive(archive.string(), MixedArchiveBytes);
    std::printf("Mixed archive: %.1f MB, %d stored and %d compressed entries (%d parts) in %d "
                "folders, %.1f MB when extracted\n",
                info.Bytes / 1e6, info.Stored, info.Compressed, info.Parts, MixedArchiveFolders,
                info.OutputBytes / 1e6);

    double bestReference = 1e9, bestEngine = 1e9;
    TEngineRun peak;
    for (int round = 0; round < Rounds; ++round) {
        const fs::path reference = Scratch / "reference-out";
        const fs::path engine = Scratch / "engine-out";
        bestReference = std::min(bestReference, ReferenceRun(archive, reference));
        fs::remove_all(reference);
        const TEngineRun run = EngineRun(archive, engine);
        fs::remove_all(engine);
        if (run.Failed)
            throw std::runtime_error("ExtractAll failed on the mixed archive");
        bestEngine = std::min(bestEngine, run.Seconds);
        if (run.Growth() > peak.Growth())
            peak = run;
    }
    std::printf("ExtractAll: best of %d %.3f s (%.0f MB/s written); uncompress + copy: %.3f s; "
                "ratio %.2f (target >= 0.85)\n",
                Rounds, bestEngine, info.OutputBytes / 1e6 / bestEngine, bestReference,
                bestReference / bestEngine);
    // A part passes through one 256 KiB chunk of input and one of output;
    // ISA-L's inflater holds a second chunk of output back and keeps its
    // decoder's state (85 KiB) besides.
    const std::uint64_t partBytes = std::min<std::uint64_t>(info.LargestPart, 512 * 1024);
#if TROVEL_INFLATER_ISAL
    constexpr std::uint64_t InflaterBytes = (256 + 128) * 1024;
#else
    constexpr std::uint64_t InflaterBytes = 0;
#endif
    const long bound = static_cast<long>((partBytes + InflaterBytes + 61440 + 1023) / 1024);
    std::printf("ExtractAll memory: VmHWM %ld KiB (%ld KiB at start, %ld KiB with the directory "
                "loaded); extraction added %ld KiB against %ld KiB for the largest part "
                "(compressed + inflated, at most its chunks) plus the copy buffer: %s\n",
                peak.PeakKib, peak.StartKib, peak.OpenKib, peak.Growth(), bound,
                peak.Growth() <= bound ? "within" : "over");
    fs::remove(archive);
}

// ---- 3. a part that claims 4 GiB ----------------------------------------

void BenchSparse(const fs::path &Scratch)
{
    constexpr std::uint32_t Claimed = 0xFFFFFF00;
    const fs::path archive = Scratch / "sparse.arc";
    testing::TArchiveBuilder b;
    b.AddCompressedRaw("huge", {{"", 0xFFFFFFF0}}, 0xFFFFFFF0);
    b.OverridePart(0, 1, Claimed);
    b.WriteSparseTo(archive.string(), Claimed);
    struct stat info = {};
    ::stat(archive.c_str(), &info);
    const TEngineRun run = EngineRun(archive, Scratch / "sparse-out");
    std::printf("Sparse archive (%.2f GiB, %lld KiB on disk, one part claiming %u bytes): "
                "ExtractAll %s in %.3f s (target < 1 s), VmHWM %ld KiB (target < 16384 KiB): "
                "%s\n",
                info.st_size / 1073741824.0, static_cast<long long>(info.st_blocks) / 2, Claimed,
                run.Failed ? "refused it" : "ACCEPTED it", run.Seconds, run.PeakKib,
                run.Failed && run.Seconds < 1 && run.PeakKib < 16384 ? "within" : "over");
    fs::remove_all(Scratch / "sparse-out");
    fs::remove(archive);
}

} // namespace

int main(int argc, char **argv)
{
    try {
        if (argc == 5 && std::strcmp(argv[1], "--extract") == 0)
            return ExtractChild(argv[2], argv[3], argv[4]);
        if (argc > 2) {
            std::fprintf(stderr, "usage: bench-archive [SCRATCH-FOLDER]\n");
            return 2;
        }
        const testing::TTempDir scratch(argc == 2 ? fs::path(argv[1]) : fs::path("/dev/shm"));
        BenchOpen(scratch.Path());
        BenchExtract(scratch.Path());
        BenchSparse(scratch.Path());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-archive: %s\n", e.what());
        return 1;
    }
    return 0;
}
