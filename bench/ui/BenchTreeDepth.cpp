// How deep a tree the window can show without running out of stack:
//   1. File > Open of an archive whose one entry lies 100,000 folders deep,
//      then every node expanded with the "*" key: the levels the window shows,
//      the time, and the main thread's stack at its highest (VmStk);
//   2. the stack that a tree view's layout takes for each expanded level,
//      measured on chains of nodes, against the main thread's stack limit.
// Usage: bench-tree-depth [FOLDER]  (the archive is written to FOLDER,
// default the system's temporary folder)
#include "ArchiveBuilder.h"
#include "ProcessMemory.h"
#include "TempDir.h"
#include "WindowDriver.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTreeView>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

namespace fs = std::filesystem;
using trovel::testing::StatusKib;
using trovel::testing::TArchiveBuilder;
using trovel::testing::TTempDir;
using trovel::testing::TWindowDriver;

namespace {

// A chain of Levels nodes, one below the other, that notes the deepest stack
// address from which the view asks it for rows.
class TChainModel final : public QAbstractItemModel
{
public:
    explicit TChainModel(int Levels) : FLevels(Levels) {}

    std::uintptr_t Lowest() const { return FLowest; }

    QModelIndex index(int Row, int Column, const QModelIndex &Parent = {}) const override
    {
        const int level = Parent.isValid() ? int(Parent.internalId()) + 1 : 0;
        if (Row != 0 || Column != 0 || level >= FLevels)
            return {};
        return createIndex(0, 0, quintptr(level));
    }
    QModelIndex parent(const QModelIndex &Index) const override
    {
        if (!Index.isValid() || Index.internalId() == 0)
            return {};
        return createIndex(0, 0, Index.internalId() - 1);
    }
    int rowCount(const QModelIndex &Parent = {}) const override
    {
        FLowest = std::min(FLowest, std::uintptr_t(__builtin_frame_address(0)));
        const int level = Parent.isValid() ? int(Parent.internalId()) + 1 : 0;
        return level < FLevels ? 1 : 0;
    }
    int columnCount(const QModelIndex & = {}) const override { return 1; }
    QVariant data(const QModelIndex &Index, int Role) const override
    {
        return Index.isValid() && Role == Qt::DisplayRole ? QVariant(QStringLiteral("a"))
                                                          : QVariant();
    }

private:
    int FLevels;
    mutable std::uintptr_t FLowest = std::numeric_limits<std::uintptr_t>::max();
};

// Bytes of stack below this function's frame that expanding a chain of
// Levels nodes takes.
__attribute__((noinline)) std::size_t StackToExpand(int Levels)
{
    TChainModel chain(Levels);
    QTreeView view;
    view.setModel(&chain);
    const auto base = std::uintptr_t(__builtin_frame_address(0));
    view.expandAll();
    return base - chain.Lowest();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    try {
        const TTempDir folder(argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path());
        std::string name;
        for (int level = 0; level < 100000; ++level)
            name += "a/";
        TArchiveBuilder archive;
        archive.AddStored(name + "leaf.txt", "x");
        const std::string path = folder / "deep.arc";
        archive.WriteTo(path);

        const long before = StatusKib("VmStk");
        TWindowDriver driver;
        QCoreApplication::processEvents();
        QTreeView *tree = driver.Tree();
        driver.AnswerFileDialog(QFile::decodeName(path.c_str()));
        QElapsedTimer clock;
        clock.start();
        driver.Action("ffnen1")->trigger();
        tree->viewport()->repaint();
        const double openMs = clock.nsecsElapsed() / 1e6;

        const QAbstractItemModel *model = tree->model();
        QModelIndex deepest;
        int levels = 0;
        for (QModelIndex node = model->index(0, 0); node.isValid();
             node = model->index(0, 0, node)) {
            ++levels;
            deepest = node;
        }
        tree->collapseAll();
        tree->setCurrentIndex(model->index(0, 0));
        clock.restart();
        QTest::keyClick(tree, Qt::Key_Asterisk);
        tree->doItemsLayout();
        tree->setCurrentIndex(deepest);
        tree->viewport()->repaint();
        const double expandMs = clock.nsecsElapsed() / 1e6;
        const long highest = StatusKib("VmStk");

        // Measured after the window, whose stack it would hide.
        const std::size_t shorter = StackToExpand(2000);
        const std::size_t longer = StackToExpand(4000);
        const double perLevel = double(longer - shorter) / 2000;
        rlimit limit{};
        getrlimit(RLIMIT_STACK, &limit);
        std::printf("tree view layout: %.0f bytes of stack per expanded level\n", perLevel);
        if (limit.rlim_cur != RLIM_INFINITY)
            std::printf("stack limit %lu KiB: used up by about %.0f expanded levels\n",
                        static_cast<unsigned long>(limit.rlim_cur / 1024),
                        limit.rlim_cur / perLevel);

        std::printf("open of a 100,000-level archive: %d levels shown, %.1f ms\n", levels, openMs);
        std::printf("'*' on the root, relayout, deepest node selected and drawn: %.1f ms\n",
                    expandMs);
        std::printf("main thread's stack: %ld KiB at the start, %ld KiB at its highest "
                    "(%d levels take about %.0f KiB)\n",
                    before, highest, levels, levels * perLevel / 1024);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-tree-depth: %s\n", e.what());
        return 1;
    }
    return 0;
}
