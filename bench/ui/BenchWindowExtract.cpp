// Times the window's All files (offscreen, folder chooser answered in advance)
// against `trovel-cli extract-all -j 1` of the same archive in the same run
// (the window works on one thread, so the CLI does too):
//   1. a ~400 MB mixed archive: the window's throughput against the CLI's
//      (target at least 0.9 of it), and the window's time against the plain
//      single-threaded zlib loop of the benchmarks (target at least 1.8
//      times faster);
//   2. an archive of 200,000 tiny entries: the window's time against the
//      CLI's (target under 1.5 times it).
// Each figure is the best of ROUNDS runs, window and CLI taking turns; every
// run's output is checked and removed before the next.
// Usage: bench-window-extract [SCRATCH-FOLDER [ROUNDS]]  (default /dev/shm, 3)
#include "ArchiveBuilder.h"
#include "Main.h"
#include "MixedArchive.h"
#include "PlainLoops.h"
#include "Process.h"
#include "TempDir.h"
#include "WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QProgressBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using trovel::TfrmMain;
using trovel::bench::TMixedArchive;
using trovel::testing::TArchiveBuilder;
using trovel::testing::TProcess;
using trovel::testing::TTempDir;
using trovel::testing::TWindowDriver;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int TinyEntries = 200000;

double SecondsSince(TClock::time_point Start)
{
    return std::chrono::duration<double>(TClock::now() - Start).count();
}

// 200,000 stored entries of 1 to 64 bytes in 1,000 folders.
void WriteTinyArchive(const std::string &Path)
{
    TArchiveBuilder archive;
    char name[64];
    for (int i = 0; i < TinyEntries; ++i) {
        std::snprintf(name, sizeof name, "set%02d/part%02d/item%06d.dat", i % 40, i / 40 % 25, i);
        archive.AddStored(name, std::string(1 + i % 64, static_cast<char>('a' + i % 26)));
    }
    archive.WriteTo(Path);
}

// What a run left below a folder.
struct TOutput
{
    std::uint64_t Files = 0;
    std::uint64_t Bytes = 0;
};

TOutput Measure(const fs::path &Folder)
{
    TOutput output;
    for (const auto &entry : fs::recursive_directory_iterator(Folder)) {
        if (entry.is_regular_file()) {
            ++output.Files;
            output.Bytes += entry.file_size();
        }
    }
    return output;
}

double CliRun(const std::string &Archive, const fs::path &Target)
{
    TProcess cli({TROVEL_CLI, "extract-all", "-j", "1", Archive, Target.string()});
    // Its progress line would draw on a terminal; the window draws nothing
    // either beyond its own panel.
    cli.RedirectToFile(STDERR_FILENO, "/dev/null");
    const auto start = TClock::now();
    cli.Start();
    const int status = cli.Wait();
    const double seconds = SecondsSince(start);
    if (status != 0)
        throw std::runtime_error("trovel-cli extract-all failed");
    return seconds;
}

// The window, driven through its menus with its dialogs answered in advance;
// a dialog nobody expected ends the benchmark.
class TWindowBench final
{
public:
    TWindowBench()
    {
        // The bar moves whenever the panel is brought up to date, and once
        // more at the end unless the last report was shown.
        QObject::connect(FDriver.Bar(), &QProgressBar::valueChanged, &FDriver.Window(),
                         [this](int Value) {
                             if (Value > 0)
                                 ++FPanelUpdates;
                         });
        QCoreApplication::processEvents();
    }

    void Open(const std::string &Archive)
    {
        FDriver.Open(QString::fromStdString(Archive));
        CheckDialogs();
        if (!FDriver.Window().ArchiveLoaded())
            throw std::runtime_error("the window did not load " + Archive);
    }

    // Extract > All files into Target, in seconds.
    double ExtractAll(const fs::path &Target)
    {
        FDriver.AnswerFolderChooser(QString::fromStdString(Target.string()));
        FPanelUpdates = 0;
        const auto start = TClock::now();
        FDriver.Action("Allfiles1")->trigger();
        const double seconds = SecondsSince(start);
        CheckDialogs();
        return seconds;
    }

    int PanelUpdates() const { return FPanelUpdates; }

private:
    void CheckDialogs() const
    {
        if (!FDriver.Unexpected.isEmpty())
            throw std::runtime_error("the window showed a " +
                                     FDriver.Unexpected.first().Kind.toStdString() +
                                     " dialog: " + FDriver.Unexpected.first().Text.toStdString());
    }

    TWindowDriver FDriver;
    int FPanelUpdates = 0;
};

struct TFigures
{
    double Window = 1e9;
    double Cli = 1e9;
    double Plain = 1e9;
    int PanelUpdates = 0;
};

TFigures Compare(TWindowBench &Bench, const std::string &Archive, const fs::path &Scratch,
                 int Rounds, const TOutput &Expected)
{
    Bench.Open(Archive);
    TFigures figures;
    const fs::path target = Scratch / "out";
    const auto check = [&](const char *Who) {
        const TOutput output = Measure(target);
        if (output.Files != Expected.Files || output.Bytes != Expected.Bytes)
            throw std::runtime_error(std::string(Who) + " wrote " + std::to_string(output.Files) +
                                     " files of " + std::to_string(output.Bytes) + " bytes");
        fs::remove_all(target);
    };
    for (int round = 0; round < Rounds; ++round) {
        figures.Cli = std::min(figures.Cli, CliRun(Archive, target));
        check("trovel-cli");
        const double window = Bench.ExtractAll(target);
        if (window < figures.Window) {
            figures.Window = window;
            figures.PanelUpdates = Bench.PanelUpdates();
        }
        check("the window");
        figures.Plain = std::min(figures.Plain, trovel::bench::PlainInflateLoop(Archive, target));
        check("the plain loop");
    }
    return figures;
}

int Run(const fs::path &Base, int Rounds)
{
    const TTempDir folder(Base);
    const fs::path &scratch = folder.Path();
    TWindowBench bench;

    const std::string mixed = folder / "mixed.arc";
    const TMixedArchive info =
        trovel::bench::WriteMixedArchive(mixed, trovel::bench::MixedArchiveBytes);
    std::printf("mixed archive: %.1f MB, %d entries, %.1f MB when extracted\n", info.Bytes / 1e6,
                info.Entries(), info.OutputBytes / 1e6);
    std::fflush(stdout);
    const TFigures big =
        Compare(bench, mixed, scratch, Rounds, {std::uint64_t(info.Entries()), info.OutputBytes});
    fs::remove(mixed);
    const double cliRate = info.OutputBytes / 1e6 / big.Cli;
    const double windowRate = info.OutputBytes / 1e6 / big.Window;
    std::printf("All files, mixed archive:   window %.3f s (%.0f MB/s, %d panel updates), "
                "trovel-cli %.3f s (%.0f MB/s): %.2f of the CLI's throughput (target >= 0.90)\n",
                big.Window, windowRate, big.PanelUpdates, big.Cli, cliRate, windowRate / cliRate);
    std::printf("All files, mixed archive:   plain zlib loop %.3f s: the window %.2f x faster "
                "(target >= 1.80)\n",
                big.Plain, big.Plain / big.Window);
    std::fflush(stdout);

    const std::string tiny = folder / "tiny.arc";
    WriteTinyArchive(tiny);
    std::uint64_t tinyBytes = 0;
    for (int i = 0; i < TinyEntries; ++i)
        tinyBytes += 1 + i % 64;
    const TFigures small =
        Compare(bench, tiny, scratch, Rounds, {std::uint64_t(TinyEntries), tinyBytes});
    std::printf("All files, %d tiny entries: window %.3f s (%d panel updates), trovel-cli "
                "%.3f s: %.2f times the CLI's time (target < 1.50)\n",
                TinyEntries, small.Window, small.PanelUpdates, small.Cli, small.Window / small.Cli);
    std::printf("(best of %d rounds each, output in %s)\n", Rounds, Base.c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc > 3) {
        std::fprintf(stderr, "usage: bench-window-extract [SCRATCH-FOLDER [ROUNDS]]\n");
        return 2;
    }
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::path("/dev/shm");
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    try {
        return Run(base, rounds);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-window-extract: %s\n", e.what());
        return 1;
    }
}
