// Benchmarks of the checks made before a run, each printed beside its target:
//  1. the room check of a 2 MB archive of 20,000 entries that each use the
//     same 100,000 part records: under 0.1 s;
//  2. trovel-cli refusing archives whose entries share compressed data, and
//     one whose claims add up to 2^64 bytes: each under 1 s;
//  3. the checks of the 1,000,000-entry archive beside extract-all of it.
// Usage: bench-run-check [SCRATCH-FOLDER [TROVEL-CLI]]   (default /dev/shm and
// the trovel-cli of this build)
#include "ArchiveWriter.h"
#include "MixedArchive.h"
#include "Process.h"
#include "RunCheck.h"
#include "TempDir.h"
#include "uArcReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace trovel;
using namespace trovel::testing;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int Rounds = 5;

std::string CliPath = TROVEL_CLI_PATH;

double Seconds(const std::function<void()> &Action)
{
    const auto start = TClock::now();
    Action();
    return std::chrono::duration<double>(TClock::now() - start).count();
}

double BestOf(int Count, const std::function<void()> &Action)
{
    double best = 1e9;
    for (int round = 0; round < Count; ++round)
        best = std::min(best, Seconds(Action));
    return best;
}

// Runs trovel-cli, which must fail with a refusal; returns its seconds.
double TimeRefusal(const fs::path &Scratch, const std::vector<std::string> &Args)
{
    std::vector<std::string> arguments = {CliPath};
    arguments.insert(arguments.end(), Args.begin(), Args.end());
    const fs::path err = Scratch / "stderr";
    int status = 0;
    const double seconds = BestOf(Rounds, [&] {
        TProcess process(arguments);
        process.RedirectToFile(1, "/dev/null").RedirectToFile(2, err.string());
        process.Start();
        status = process.Wait();
    });
    const std::string message = ReadFile(err);
    if (status != 1 || (message.find("share") == std::string::npos &&
                        message.find("extracting needs") == std::string::npos))
        throw std::runtime_error("trovel-cli " + Args[0] + " was not refused: " + message);
    std::printf("    %s", message.c_str());
    return seconds;
}

// "e0", "e1", ... (built up in place: GCC 12 warns about the overlap of a
// literal joined to a temporary at -O2, wrongly).
std::string EntryName(int Index)
{
    std::string name = "e";
    name += std::to_string(Index);
    return name;
}

// 20,000 entries that each use the same 100,000 part records of 1 MB.
void WriteQuadraticArchive(const std::string &Path)
{
    TArchiveWriter writer(Path);
    const std::uint32_t stream = writer.AppendData(Deflate(""));
    for (int i = 0; i < 100000; ++i)
        writer.AddPart(stream, 8, 1000000);
    for (int i = 0; i < 20000; ++i)
        writer.AddEntry(smCompressed, 0, 0, 100000, 0, EntryName(i));
    writer.Finish();
}

// Entries that all use PartRecords records of one part of PartBytes of empty
// stored blocks.
void WriteSharingArchive(const std::string &Path, int Entries, int PartRecords,
                         std::size_t PartBytes)
{
    TArchiveWriter writer(Path);
    const std::string blocks = EmptyStoredBlocks(PartBytes);
    const std::uint32_t stream = writer.AppendData(blocks);
    for (int i = 0; i < PartRecords; ++i)
        writer.AddPart(stream, static_cast<std::uint32_t>(blocks.size()), 0);
    for (int i = 0; i < Entries; ++i)
        writer.AddEntry(smCompressed, 0, 0, static_cast<std::uint32_t>(PartRecords), 0,
                        EntryName(i));
    writer.Finish();
}

// 131,072 entries that each use the same 65,536 part records of 2^31 bytes.
void WriteWrappingArchive(const std::string &Path)
{
    TArchiveWriter writer(Path);
    const std::uint32_t stream = writer.AppendData(Deflate(""));
    for (int i = 0; i < 65536; ++i)
        writer.AddPart(stream, 8, 0x80000000);
    for (int i = 0; i < 131072; ++i)
        writer.AddEntry(smCompressed, 0, 0, 65536, 0, EntryName(i));
    writer.Finish();
}

void BenchQuadratic(const fs::path &Scratch)
{
    const fs::path archive = Scratch / "quadratic.arc";
    WriteQuadraticArchive(archive.string());
    TArcReader reader;
    reader.Open(archive.string());
    const double check = BestOf(Rounds, [&] {
        const TRunCheck run(reader);
        try {
            run.CheckRoom(run.AllEntries(), (Scratch / "out").string());
            throw std::runtime_error("the quadratic archive was not refused");
        } catch (const ENoRoomError &) {
        }
    });
    std::printf("Room check of a %.1f MB archive, 20,000 entries x 100,000 part records: best of "
                "%d %.4f s (target < 0.1)\n",
                fs::file_size(archive) / 1e6, Rounds, check);
    const double cli =
        TimeRefusal(Scratch, {"extract-all", archive.string(), (Scratch / "out").string()});
    std::printf("  trovel-cli extract-all refuses it in %.3f s\n", cli);
    fs::remove(archive);
}

void BenchRefusals(const fs::path &Scratch)
{
    constexpr std::size_t Stream = 16700000;
    const std::string out = (Scratch / "out").string();
    std::printf("trovel-cli refusals, best of %d (target < 1 s each):\n", Rounds);

    const std::string shared = (Scratch / "shared.arc").string();
    WriteSharingArchive(shared, 100000, 1, Stream);
    std::printf("  100,000 entries sharing one part of 16.7 MB of empty stored blocks:\n");
    std::printf("  test: %.3f s\n", TimeRefusal(Scratch, {"test", shared}));
    std::printf("  extract-all: %.3f s\n", TimeRefusal(Scratch, {"extract-all", shared, out}));
    fs::remove(shared);

    const std::string records = (Scratch / "records.arc").string();
    WriteSharingArchive(records, 1, 1000000, Stream);
    std::printf("  one entry of 1,000,000 part records on that stream:\n");
    std::printf("  extract ARCHIVE 0 OUT: %.3f s\n",
                TimeRefusal(Scratch, {"extract", records, "0", out}));
    fs::remove(records);

    const std::string million = (Scratch / "million.arc").string();
    WriteSharingArchive(million, 1000000, 1, std::size_t{64} << 20);
    std::printf("  1,000,000 entries on one part of 64 MiB:\n");
    std::printf("  test: %.3f s\n", TimeRefusal(Scratch, {"test", million}));
    fs::remove(million);

    const std::string wrapping = (Scratch / "wrap.arc").string();
    WriteWrappingArchive(wrapping);
    std::printf("  131,072 entries x 65,536 part records x 2^31 bytes (2^64 in all):\n");
    std::printf("  extract-all: %.3f s\n", TimeRefusal(Scratch, {"extract-all", wrapping, out}));
    fs::remove(wrapping);
}

void BenchWide(const fs::path &Scratch)
{
    const fs::path archive = Scratch / "wide.arc";
    const fs::path out = Scratch / "wide-out";
    bench::WriteWideArchive(archive.string(), bench::WideArchiveEntries);
    TArcReader reader;
    reader.Open(archive.string());
    const auto checks = [&] {
        const TRunCheck run(reader);
        const std::vector<std::int32_t> entries = run.AllEntries();
        run.CheckRoom(entries, out.string());
        run.CheckSharedData(entries);
    };
    const double fresh = BestOf(Rounds, checks);
    std::vector<std::string> arguments = {CliPath, "extract-all", "--no-space-check",
                                          archive.string(), out.string()};
    const double extract = Seconds([&] {
        if (RunQuietly(arguments) != 0)
            throw std::runtime_error("extract-all of the wide archive failed");
    });
    const double again = BestOf(1, checks);
    // When the room is short, every entry's place is looked at.
    const double looking = Seconds([&] {
        const TRunCheck run(reader);
        run.RoomNeeded(run.AllEntries(), out.string(), 4096, FileSystemRoom(out.string())->Device);
    });
    std::printf("Checks of %d entries: %.3f s into a new folder, %.3f s over the entries' own "
                "output; trovel-cli extract-all without them %.3f s (%.1f %% and %.1f %%); "
                "looking at every entry's place %.3f s (%.1f %%)\n",
                bench::WideArchiveEntries, fresh, again, extract, 100 * fresh / extract,
                100 * again / extract, looking, 100 * looking / extract);
    fs::remove_all(out);
    fs::remove(archive);
}

} // namespace

int main(int argc, char **argv)
{
    try {
        if (argc > 3) {
            std::fprintf(stderr, "usage: bench-run-check [SCRATCH-FOLDER [TROVEL-CLI]]\n");
            return 2;
        }
        if (argc == 3)
            CliPath = argv[2];
        const TTempDir scratch(argc >= 2 ? fs::path(argv[1]) : fs::path("/dev/shm"));
        BenchQuadratic(scratch.Path());
        BenchRefusals(scratch.Path());
        BenchWide(scratch.Path());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-run-check: %s\n", e.what());
        return 1;
    }
    return 0;
}
