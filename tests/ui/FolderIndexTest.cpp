// The folder index over an open archive: the rows of a folder, the events it
// lets run while it is built, and the tree it empties.
#include "FolderIndex.h"
#include "ArchiveBuilder.h"
#include "uArcReader.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace trovel;
using namespace std::chrono_literals;
using namespace trovel::testing;

namespace {

// Opens an archive of entries with these names, each with no data and the
// size given.
void OpenArchive(TArcReader &Reader, const QTemporaryDir &Folder, const QByteArrayList &Names,
                 const QList<quint32> &Sizes)
{
    TArchiveBuilder archive;
    for (qsizetype i = 0; i < Names.size(); ++i)
        archive.AddOther(Names[i].toStdString(), 0, Sizes.value(i));
    const std::string path = QFile::encodeName(Folder.filePath("test.arc")).toStdString();
    archive.WriteTo(path);
    Reader.Open(path);
}

// The folder node at Path below the root ("" is the root).
TFolderNode FolderAt(TFolderTreeModel &Tree, const QByteArray &Path)
{
    const TFolderNode root = Tree.TopLevel().at(0);
    return Path.isEmpty() ? root : Tree.GetFolderNode(root, (Path + '/').toStdString());
}

// The rows as "caption:size#entry".
QStringList RowsText(const std::vector<TFileRow> &Rows)
{
    QStringList rows;
    for (const TFileRow &row : Rows)
        rows.append(QStringLiteral("%1:%2#%3").arg(row.Caption).arg(row.Size).arg(row.EntryIndex));
    return rows;
}

} // namespace

class TFolderIndexTest final : public QObject
{
    Q_OBJECT

private slots:
    void rowsListTheEntriesOfOneFolder_data();
    void rowsListTheEntriesOfOneFolder();
    void buildLetsEventsRunWhenListsAreMade_data();
    void buildLetsEventsRunWhenListsAreMade();
    void clearEmptiesTreeAndSaysSoMeanwhile();

private:
    QTemporaryDir FFolder;
};

void TFolderIndexTest::rowsListTheEntriesOfOneFolder_data()
{
    QTest::addColumn<QByteArrayList>("names");
    QTest::addColumn<QList<quint32>>("sizes");
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("no folder: the root")
        << QByteArrayList{"readme.txt", "a/x"} << QList<quint32>{5, 1} << QByteArray()
        << QStringList{"readme.txt:5#0"};
    QTest::newRow("entries in index order")
        << QByteArrayList{"m/b", "n/x", "textures/grass.tex", "m/a"} << QList<quint32>{1, 2, 7, 4}
        << QByteArray("m") << QStringList{"b:1#0", "a:4#3"};
    QTest::newRow("name ending in slash")
        << QByteArrayList{"x/"} << QList<quint32>{3} << QByteArray("x") << QStringList{":3#0"};
    QTest::newRow("sizes are unsigned")
        << QByteArrayList{"d/zero", "d/max"} << QList<quint32>{0, 4294967295u} << QByteArray("d")
        << QStringList{"zero:0#0", "max:4294967295#1"};
    QTest::newRow("folder with only folders")
        << QByteArrayList{"a/b/c", "x"} << QList<quint32>{1, 2} << QByteArray("a") << QStringList{};
    QTest::newRow("empty folder text") << QByteArrayList{"/x", "a//y"} << QList<quint32>{1, 2}
                                       << QByteArray("a/") << QStringList{"y:2#1"};
}

void TFolderIndexTest::rowsListTheEntriesOfOneFolder()
{
    QFETCH(QByteArrayList, names);
    QFETCH(QList<quint32>, sizes);
    QFETCH(QByteArray, folder);
    QFETCH(QStringList, rows);
    TArcReader reader;
    OpenArchive(reader, FFolder, names, sizes);
    TFolderTreeModel tree;
    TFolderIndex index(tree, 1h);
    index.Build(reader, "test.arc");
    QCOMPARE(RowsText(index.RowsOf(FolderAt(tree, folder), reader)), rows);
}

void TFolderIndexTest::buildLetsEventsRunWhenListsAreMade_data()
{
    QTest::addColumn<int>("pacing");
    // The rows of folder "a" each time events run.
    QTest::addColumn<QStringList>("seen");
    QTest::newRow("at every new list") << 0 << QStringList{"", "1", "1,3"};
    QTest::newRow("paced") << 3600000 << QStringList{""};
}

// Events run right after a list is made, before its first entry goes in; a
// folder selected then lists what was collected so far.
void TFolderIndexTest::buildLetsEventsRunWhenListsAreMade()
{
    QFETCH(int, pacing);
    QFETCH(QStringList, seen);
    TArcReader reader;
    OpenArchive(reader, FFolder, {"a/1", "b/2", "a/3", "c/4"}, {});
    TFolderTreeModel tree;
    TFolderIndex index(tree, std::chrono::milliseconds(pacing));
    QStringList rows;
    bool building = true;
    std::function<void()> everyTurn = [&] {
        if (!building)
            return;
        QStringList captions;
        const TFolderNode a = tree.FindFolderNode(tree.TopLevel().at(0), "a");
        if (a != NoFolderNode) {
            for (const TFileRow &row : index.RowsOf(a, reader))
                captions.append(row.Caption);
        }
        rows.append(captions.join(u','));
        QMetaObject::invokeMethod(this, everyTurn, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(this, everyTurn, Qt::QueuedConnection);
    index.Build(reader, "test.arc");
    building = false;
    QCoreApplication::processEvents();
    QCOMPARE(rows, seen);
}

void TFolderIndexTest::clearEmptiesTreeAndSaysSoMeanwhile()
{
    TArcReader reader;
    OpenArchive(reader, FFolder, {"a/1", "b/2"}, {1, 2});
    TFolderTreeModel tree;
    TFolderIndex index(tree, 1h);
    index.Build(reader, "first.arc");
    QList<bool> clearing;
    connect(&tree, &QAbstractItemModel::modelAboutToBeReset, this,
            [&] { clearing.append(index.Clearing()); });
    index.Clear();
    QCOMPARE(clearing, QList<bool>{true});
    QVERIFY(!index.Clearing());
    QCOMPARE(tree.NodeCount(), 0);

    // Built again, the lists start afresh.
    OpenArchive(reader, FFolder, {"x", "b/y"}, {3, 4});
    const TFolderNode root = index.Build(reader, "second.arc");
    QCOMPARE(RowsText(index.RowsOf(root, reader)), QStringList{"x:3#0"});
    QCOMPARE(RowsText(index.RowsOf(FolderAt(tree, "b"), reader)), QStringList{"y:4#1"});
}

QTEST_MAIN(TFolderIndexTest)
#include "FolderIndexTest.moc"
