// Times the window's All files (offscreen, folder chooser answered in advance)
// against `trovel-cli extract-all` of the same archive in the same run:
//   1. a ~400 MB mixed archive: the window's throughput against the CLI's
//      (target at least 0.9 of it);
//   2. an archive of 200,000 tiny entries: the window's time against the
//      CLI's (target under 1.5 times it).
// Each figure is the best of ROUNDS runs, window and CLI taking turns; every
// run's output is checked and removed before the next.
// Usage: bench-window-extract [SCRATCH-FOLDER [ROUNDS]]  (default /dev/shm, 3)
#include "ArchiveBuilder.h"
#include "Main.h"
#include "MixedArchive.h"
#include "VeskaFolderDialog.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QProgressBar>

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
using trovel::TfrmMain;
using trovel::TVeskaFolderDialog;
using trovel::testing::ArchiveBuilder;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int TinyEntries = 200000;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// 200,000 stored entries of 1 to 64 bytes in 1,000 folders.
void writeTinyArchive(const std::string &path)
{
    ArchiveBuilder archive;
    char name[64];
    for (int i = 0; i < TinyEntries; ++i) {
        std::snprintf(name, sizeof name, "set%02d/part%02d/item%06d.dat", i % 40, i / 40 % 25, i);
        archive.AddStored(name, std::string(1 + i % 64, static_cast<char>('a' + i % 26)));
    }
    archive.WriteTo(path);
}

// What a run left below a folder.
struct Output
{
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
};

Output measure(const fs::path &folder)
{
    Output output;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            ++output.files;
            output.bytes += entry.file_size();
        }
    }
    return output;
}

double cliRun(const std::string &archive, const fs::path &target)
{
    std::vector<std::string> args = {TROVEL_CLI, "extract-all", archive, target.string()};
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    // Its progress line would draw on a terminal; the window draws nothing
    // either beyond its own panel.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, TROVEL_CLI, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " TROVEL_CLI);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = secondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("trovel-cli extract-all failed");
    return seconds;
}

// The window, driven through its menus with its dialogs answered in advance.
class TWindowBench final
{
public:
    TWindowBench()
    {
        FWindow.ModalSeam().SetNativeDialogs(false);
        FWindow.ModalSeam().AnswerOthers([this](QObject &Dialog) {
            FUnexpected = Dialog.metaObject()->className();
            return 0;
        });
        // The bar moves whenever the panel is brought up to date, and once
        // more at the end unless the last report was shown.
        QObject::connect(FWindow.findChild<QProgressBar *>("pbProgress"),
                         &QProgressBar::valueChanged, &FWindow, [this](int Value) {
                             if (Value > 0)
                                 ++FPanelUpdates;
                         });
        FWindow.show();
        QCoreApplication::processEvents();
    }

    void Open(const std::string &archive)
    {
        const QString path = QString::fromStdString(archive);
        FWindow.ModalSeam().AnswerNext([path](QObject &Dialog) {
            static_cast<QFileDialog &>(Dialog).selectFile(path);
            return int(QDialog::Accepted);
        });
        Trigger("ffnen1");
        if (!FWindow.ArchiveLoaded())
            throw std::runtime_error("the window did not load " + archive);
    }

    // Extract > All files into target, in seconds.
    double ExtractAll(const fs::path &target)
    {
        const QString folder = QString::fromStdString(target.string());
        FWindow.ModalSeam().AnswerNext([folder](QObject &Dialog) {
            qobject_cast<TVeskaFolderDialog *>(&Dialog)->SetFolder(folder);
            return 1;
        });
        FPanelUpdates = 0;
        const auto start = Clock::now();
        Trigger("Allfiles1");
        return secondsSince(start);
    }

    int PanelUpdates() const { return FPanelUpdates; }

private:
    void Trigger(const char *action)
    {
        FWindow.findChild<QAction *>(action)->trigger();
        if (!FUnexpected.empty())
            throw std::runtime_error("the window showed a " + FUnexpected);
    }

    TfrmMain FWindow;
    std::string FUnexpected;
    int FPanelUpdates = 0;
};

struct Figures
{
    double window = 1e9;
    double cli = 1e9;
    int panelUpdates = 0;
};

Figures compare(TWindowBench &bench, const std::string &archive, const fs::path &scratch,
                int rounds, const Output &expected)
{
    bench.Open(archive);
    Figures figures;
    const fs::path target = scratch / "out";
    const auto check = [&](const char *who) {
        const Output output = measure(target);
        if (output.files != expected.files || output.bytes != expected.bytes)
            throw std::runtime_error(std::string(who) + " wrote " + std::to_string(output.files) +
                                     " files of " + std::to_string(output.bytes) + " bytes");
        fs::remove_all(target);
    };
    for (int round = 0; round < rounds; ++round) {
        figures.cli = std::min(figures.cli, cliRun(archive, target));
        check("trovel-cli");
        const double window = bench.ExtractAll(target);
        if (window < figures.window) {
            figures.window = window;
            figures.panelUpdates = bench.PanelUpdates();
        }
        check("the window");
    }
    return figures;
}

// A folder of the run's own, removed however the run ends.
struct TScratch
{
    explicit TScratch(fs::path Path) : path(std::move(Path)) { fs::create_directories(path); }
    ~TScratch()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    TScratch(const TScratch &) = delete;
    TScratch &operator=(const TScratch &) = delete;

    fs::path path;
};

int run(const fs::path &base, int rounds)
{
    const TScratch folder(base / ("trovel-bench-window-" + std::to_string(::getpid())));
    const fs::path &scratch = folder.path;
    TWindowBench bench;

    const std::string mixed = (scratch / "mixed.arc").string();
    const trovel::bench::MixedArchive info =
        trovel::bench::writeMixedArchive(mixed, trovel::bench::MixedArchiveBytes);
    std::printf("mixed archive: %.1f MB, %d entries, %.1f MB when extracted\n", info.bytes / 1e6,
                info.entries(), info.outputBytes / 1e6);
    std::fflush(stdout);
    const Figures big =
        compare(bench, mixed, scratch, rounds, {std::uint64_t(info.entries()), info.outputBytes});
    fs::remove(mixed);
    const double cliRate = info.outputBytes / 1e6 / big.cli;
    const double windowRate = info.outputBytes / 1e6 / big.window;
    std::printf("All files, mixed archive:   window %.3f s (%.0f MB/s, %d panel updates), "
                "trovel-cli %.3f s (%.0f MB/s): %.2f of the CLI's throughput (target >= 0.90)\n",
                big.window, windowRate, big.panelUpdates, big.cli, cliRate, windowRate / cliRate);
    std::fflush(stdout);

    const std::string tiny = (scratch / "tiny.arc").string();
    writeTinyArchive(tiny);
    std::uint64_t tinyBytes = 0;
    for (int i = 0; i < TinyEntries; ++i)
        tinyBytes += 1 + i % 64;
    const Figures small =
        compare(bench, tiny, scratch, rounds, {std::uint64_t(TinyEntries), tinyBytes});
    std::printf("All files, %d tiny entries: window %.3f s (%d panel updates), trovel-cli "
                "%.3f s: %.2f times the CLI's time (target < 1.50)\n",
                TinyEntries, small.window, small.panelUpdates, small.cli, small.window / small.cli);
    std::printf("(best of %d rounds each, output in %s)\n", rounds, base.c_str());
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
        return run(base, rounds);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-window-extract: %s\n", e.what());
        return 1;
    }
}
