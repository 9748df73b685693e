// Times the main window on large archives, offscreen, through File > Open with
// the open dialog answered in advance:
//   1. an archive of 1,000,000 entries in 10,000 folders, loaded to a drawn tree;
//   2. an archive with 100,000 folders directly below the root, the same;
//   3. selecting a folder of 100,000 files: the list filled, sorted and drawn.
// Usage: bench-window [FOLDER [ROUNDS]]  (archives are written to FOLDER,
// default the system's temporary folder; each figure is the median of ROUNDS).
#include "ArchiveBuilder.h"
#include "TempDir.h"
#include "WindowDriver.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using trovel::testing::TArchiveBuilder;
using trovel::testing::TTempDir;
using trovel::testing::TWindowDriver;

namespace {

std::string Numbered(const char *Format, int Number)
{
    char text[64];
    std::snprintf(text, sizeof text, Format, Number);
    return text;
}

// 100 top folders with 100 sub-folders each, 100 files in each sub-folder,
// listed folder by folder as packing tools write them.
TArchiveBuilder MillionEntries()
{
    TArchiveBuilder archive;
    for (int top = 0; top < 100; ++top)
        for (int sub = 0; sub < 100; ++sub)
            for (int file = 0; file < 100; ++file)
                archive.AddOther(Numbered("data%03d/", top) + Numbered("set%02d/", sub) +
                                     Numbered("item%04d.bin", top * 100 + file),
                                 0, static_cast<std::uint32_t>(file));
    return archive;
}

TArchiveBuilder FlatFolders()
{
    TArchiveBuilder archive;
    for (int folder = 0; folder < 100000; ++folder)
        archive.AddOther(Numbered("folder%06d/readme.txt", folder), 0, 1);
    return archive;
}

// 100,000 files in one folder, in shuffled order, with mixed case, digits,
// hyphens and apostrophes, so the sort has real work.
TArchiveBuilder BigFolder()
{
    std::vector<int> order(100000);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    const char *const stems[] = {"Texture", "texture", "co-op", "coop", "mob's", "Level-", "z"};
    TArchiveBuilder archive;
    archive.AddOther("readme.txt", 0, 1);
    for (int number : order)
        archive.AddOther("big/" + std::string(stems[number % 7]) + Numbered("%06d.dat", number), 0,
                         static_cast<std::uint32_t>(number));
    return archive;
}

double Median(std::vector<double> Times)
{
    std::sort(Times.begin(), Times.end());
    return Times[Times.size() / 2];
}

// File > Open until the tree has been drawn, in milliseconds.
double TimeOpen(TWindowDriver &Driver, const QString &Path)
{
    Driver.AnswerFileDialog(Path);
    QElapsedTimer clock;
    clock.start();
    Driver.Action("ffnen1")->trigger();
    Driver.Tree()->viewport()->repaint();
    return clock.nsecsElapsed() / 1e6;
}

// Selects a top-level folder until the list has been drawn, in milliseconds.
double TimeSelect(TWindowDriver &Driver, const QString &Folder)
{
    const QModelIndex folder = Driver.FolderNode(Folder);
    Driver.SelectFolder("");
    QElapsedTimer clock;
    clock.start();
    Driver.Tree()->setCurrentIndex(folder);
    Driver.List()->viewport()->repaint();
    return clock.nsecsElapsed() / 1e6;
}

// Folders directly below the root.
int Folders(const TWindowDriver &Driver)
{
    const QAbstractItemModel *model = Driver.Tree()->model();
    return model->rowCount(model->index(0, 0));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    try {
        const TTempDir folder(argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path());
        std::printf("writing archives to %s\n", folder.Path().c_str());
        std::fflush(stdout);
        const std::string million = folder / "million.arc";
        const std::string flat = folder / "flat.arc";
        const std::string big = folder / "big.arc";
        MillionEntries().WriteTo(million);
        FlatFolders().WriteTo(flat);
        BigFolder().WriteTo(big);

        TWindowDriver driver;
        QCoreApplication::processEvents();
        std::vector<double> loadMillion, loadFlat, selectBig;
        for (int round = 0; round < rounds; ++round) {
            loadMillion.push_back(TimeOpen(driver, QFile::decodeName(million.c_str())));
            if (Folders(driver) != 100)
                throw std::runtime_error("the million archive shows " +
                                         std::to_string(Folders(driver)) + " folders");
            loadFlat.push_back(TimeOpen(driver, QFile::decodeName(flat.c_str())));
            if (Folders(driver) != 100000)
                throw std::runtime_error("the flat archive shows " +
                                         std::to_string(Folders(driver)) + " folders");
            TimeOpen(driver, QFile::decodeName(big.c_str()));
            selectBig.push_back(TimeSelect(driver, QStringLiteral("big")));
        }
        if (driver.List()->model()->rowCount() != 100000)
            throw std::runtime_error("the big folder shows " +
                                     std::to_string(driver.List()->model()->rowCount()) + " rows");
        std::printf("load 1,000,000 entries in 10,000 folders: %8.1f ms (target < 1500)\n",
                    Median(loadMillion));
        std::printf("load 100,000 folders below the root:      %8.1f ms (target < 1000)\n",
                    Median(loadFlat));
        std::printf("select a folder of 100,000 files:         %8.1f ms (target < 300)\n",
                    Median(selectBig));
        std::printf("(median of %d rounds)\n", rounds);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-window: %s\n", e.what());
        return 1;
    }
    return 0;
}
