// Times the main window on large archives, offscreen, through File > Open with
// the open dialog answered in advance:
//   1. an archive of 1,000,000 entries in 10,000 folders, loaded to a drawn tree;
//   2. an archive with 100,000 folders directly below the root, the same;
//   3. selecting a folder of 100,000 files: the list filled, sorted and drawn.
// Usage: bench-window [FOLDER [ROUNDS]]  (archives are written to FOLDER,
// default the system's temporary folder; each figure is the median of ROUNDS).
#include "ArchiveBuilder.h"
#include "Main.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using trovel::TfrmMain;
using trovel::testing::ArchiveBuilder;

namespace {

std::string numbered(const char *format, int number)
{
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

// 100 top folders with 100 sub-folders each, 100 files in each sub-folder,
// listed folder by folder as packing tools write them.
ArchiveBuilder millionEntries()
{
    ArchiveBuilder archive;
    for (int top = 0; top < 100; ++top)
        for (int sub = 0; sub < 100; ++sub)
            for (int file = 0; file < 100; ++file)
                archive.AddOther(numbered("data%03d/", top) + numbered("set%02d/", sub) +
                                     numbered("item%04d.bin", top * 100 + file),
                                 0, static_cast<std::uint32_t>(file));
    return archive;
}

ArchiveBuilder flatFolders()
{
    ArchiveBuilder archive;
    for (int folder = 0; folder < 100000; ++folder)
        archive.AddOther(numbered("folder%06d/readme.txt", folder), 0, 1);
    return archive;
}

// 100,000 files in one folder, in shuffled order, with mixed case, digits,
// hyphens and apostrophes, so the sort has real work.
ArchiveBuilder bigFolder()
{
    std::vector<int> order(100000);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    const char *const stems[] = {"Texture", "texture", "co-op", "coop", "mob's", "Level-", "z"};
    ArchiveBuilder archive;
    archive.AddOther("readme.txt", 0, 1);
    for (int number : order)
        archive.AddOther("big/" + std::string(stems[number % 7]) + numbered("%06d.dat", number), 0,
                         static_cast<std::uint32_t>(number));
    return archive;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

class TBench final
{
public:
    TBench()
    {
        FWindow.ModalSeam().SetNativeDialogs(false);
        FWindow.show();
        QCoreApplication::processEvents();
        FTree = FWindow.findChild<QTreeView *>("tvDirectories");
        FList = FWindow.findChild<QTreeView *>("lvFiles");
    }

    // File > Open until the tree has been drawn, in milliseconds.
    double Open(const QString &Path)
    {
        FWindow.ModalSeam().AnswerNext([Path](QObject &Dialog) {
            static_cast<QFileDialog &>(Dialog).selectFile(Path);
            return int(QDialog::Accepted);
        });
        QElapsedTimer clock;
        clock.start();
        FWindow.findChild<QAction *>("ffnen1")->trigger();
        FTree->viewport()->repaint();
        return clock.nsecsElapsed() / 1e6;
    }

    // Selects a top-level folder until the list has been drawn, in milliseconds.
    double Select(const QString &Folder)
    {
        const QAbstractItemModel *model = FTree->model();
        const QModelIndex folder = model
                                       ->match(model->index(0, 0, model->index(0, 0)),
                                               Qt::DisplayRole, Folder, 1, Qt::MatchExactly)
                                       .value(0);
        FTree->setCurrentIndex(model->index(0, 0));
        QElapsedTimer clock;
        clock.start();
        FTree->setCurrentIndex(folder);
        FList->viewport()->repaint();
        return clock.nsecsElapsed() / 1e6;
    }

    int Rows() const { return FList->model()->rowCount(); }
    // Folders directly below the root.
    int Folders() const
    {
        const QAbstractItemModel *model = FTree->model();
        return model->rowCount(model->index(0, 0));
    }

private:
    TfrmMain FWindow;
    QTreeView *FTree = nullptr;
    QTreeView *FList = nullptr;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir folder(base + QStringLiteral("/trovel-bench-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench-window: cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }

    std::printf("writing archives to %s\n", qPrintable(folder.path()));
    std::fflush(stdout);
    const QString million = folder.filePath("million.arc");
    const QString flat = folder.filePath("flat.arc");
    const QString big = folder.filePath("big.arc");
    millionEntries().WriteTo(QFile::encodeName(million).toStdString());
    flatFolders().WriteTo(QFile::encodeName(flat).toStdString());
    bigFolder().WriteTo(QFile::encodeName(big).toStdString());

    TBench bench;
    std::vector<double> loadMillion, loadFlat, selectBig;
    for (int round = 0; round < rounds; ++round) {
        loadMillion.push_back(bench.Open(million));
        if (bench.Folders() != 100) {
            std::fprintf(stderr, "bench-window: the million archive shows %d folders\n",
                         bench.Folders());
            return 1;
        }
        loadFlat.push_back(bench.Open(flat));
        if (bench.Folders() != 100000) {
            std::fprintf(stderr, "bench-window: the flat archive shows %d folders\n",
                         bench.Folders());
            return 1;
        }
        bench.Open(big);
        selectBig.push_back(bench.Select(QStringLiteral("big")));
    }
    if (bench.Rows() != 100000) {
        std::fprintf(stderr, "bench-window: the big folder shows %d rows\n", bench.Rows());
        return 1;
    }
    std::printf("load 1,000,000 entries in 10,000 folders: %8.1f ms (target < 1500)\n",
                median(loadMillion));
    std::printf("load 100,000 folders below the root:      %8.1f ms (target < 1000)\n",
                median(loadFlat));
    std::printf("select a folder of 100,000 files:         %8.1f ms (target < 300)\n",
                median(selectBig));
    std::printf("(median of %d rounds)\n", rounds);
    return 0;
}
