// The folder tree without the window, under Qt's model checker.
#include "FolderTreeModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include <random>
#include <string>
#include <vector>

using namespace trovel;

namespace {

// The tree as "depth:text" in pre-order, "|" between nodes.
QString DumpTree(const TFolderTreeModel &Tree)
{
    QStringList nodes;
    std::function<void(TFolderNode, int)> walk = [&](TFolderNode Node, int Depth) {
        nodes.append(QStringLiteral("%1:%2").arg(Depth).arg(
            QString::fromStdString(std::string(Tree.Text(Node)))));
        for (int i = 0; i < Tree.ChildCount(Node); ++i)
            walk(Tree.Child(Node, i), Depth + 1);
    };
    for (TFolderNode root : Tree.TopLevel())
        walk(root, 0);
    return nodes.join(u'|');
}

// The path of a node below the root, "/" between texts.
QString PathOf(const TFolderTreeModel &Tree, TFolderNode Node)
{
    QStringList texts;
    for (; Tree.ParentOf(Node) != NoFolderNode; Node = Tree.ParentOf(Node))
        texts.prepend(QString::fromStdString(std::string(Tree.Text(Node))));
    return texts.join(u'/');
}

} // namespace

class TFolderTreeModelTest final : public QObject
{
    Q_OBJECT

private slots:
    void folderNodesFollowEntryNames_data();
    void folderNodesFollowEntryNames();
    void hashedLookupFindsWhatLinearSearchFinds();
    void viewsSeeOnlyTheLevelsShown_data();
    void viewsSeeOnlyTheLevelsShown();
};

void TFolderTreeModelTest::folderNodesFollowEntryNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QStringList>("folders");
    QTest::newRow("no slash lies in the root")
        << QStringList{"readme.txt"} << "0:x.arc" << QStringList{""};
    QTest::newRow("first mention decides the order")
        << QStringList{"a/b/c.txt", "b/d.txt"} << "0:x.arc|1:a|2:b|1:b" << QStringList{"a/b", "b"};
    QTest::newRow("same text below itself")
        << QStringList{"a/a/x.txt"} << "0:x.arc|1:a|2:a" << QStringList{"a/a"};
    QTest::newRow("case-sensitive")
        << QStringList{"Data/x", "data/y", "Data/z"} << "0:x.arc|1:Data|1:data"
        << QStringList{"Data", "data", "Data"};
    QTest::newRow("never sorted") << QStringList{"z/1", "a/2"} << "0:x.arc|1:z|1:a"
                                  << QStringList{"z", "a"};
    QTest::newRow("trailing slash") << QStringList{"x/"} << "0:x.arc|1:x" << QStringList{"x"};
    QTest::newRow("empty components")
        << QStringList{"/x", "a//x", "//"} << "0:x.arc|1:|2:|1:a|2:" << QStringList{"", "a/", "/"};
    QTest::newRow("backslash is no separator")
        << QStringList{"a\\b/c"} << "0:x.arc|1:a\\b" << QStringList{"a\\b"};
}

void TFolderTreeModelTest::folderNodesFollowEntryNames()
{
    QFETCH(QStringList, names);
    QFETCH(QString, tree);
    QFETCH(QStringList, folders);
    TFolderTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const TFolderNode root = model.AddRoot("x.arc");
    QStringList found;
    for (const QString &name : names)
        found.append(PathOf(model, model.GetFolderNode(root, name.toStdString())));
    QCOMPARE(DumpTree(model), tree);
    QCOMPARE(found, folders);
    model.Clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.NodeCount(), 0);
}

// Long sibling lists go through the hash index; every lookup, hit or miss,
// must give what going through the children in order gives.
void TFolderTreeModelTest::hashedLookupFindsWhatLinearSearchFinds()
{
    TFolderTreeModel model;
    const TFolderNode root = model.AddRoot("r");
    std::mt19937 random(11);
    std::vector<std::string> texts = {"", "a", "A", "b", "ab", "a/", "x"};
    for (int i = 0; i < 40; ++i)
        texts.push_back(QStringLiteral("f%1").arg(i).toStdString());
    std::vector<TFolderNode> nodes = {root};
    for (int i = 0; i < 3000; ++i) {
        // Most nodes go to a few parents, so some sibling lists get long.
        const TFolderNode parent =
            nodes[random() % std::min<std::size_t>(nodes.size(), 6 + i / 200)];
        const std::string &text = texts[random() % texts.size()];
        if (model.FindFolderNode(parent, text) == NoFolderNode)
            nodes.push_back(model.AddChild(parent, text));
    }
    int longLists = 0;
    for (TFolderNode parent : nodes) {
        longLists += model.ChildCount(parent) > 8;
        for (const std::string &text : texts) {
            TFolderNode linear = NoFolderNode;
            for (int i = 0; i < model.ChildCount(parent); ++i) {
                if (model.Text(model.Child(parent, i)) == text) {
                    linear = model.Child(parent, i);
                    break;
                }
            }
            QCOMPARE(model.FindFolderNode(parent, text), linear);
        }
    }
    QVERIFY(longLists > 3);
}

void TFolderTreeModelTest::viewsSeeOnlyTheLevelsShown_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("rowsInserted");
    QTest::newRow("root only") << 1 << 0;
    QTest::newRow("three levels") << 3 << 2;
    QTest::newRow("every level") << 10 << 4;
}

// The tree keeps every folder; views see the first levels, and hear nothing
// of the nodes below them.
void TFolderTreeModelTest::viewsSeeOnlyTheLevelsShown()
{
    QFETCH(int, levels);
    QFETCH(int, rowsInserted);
    TFolderTreeModel model;
    model.SetLevelsShown(levels);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const TFolderNode root = model.AddRoot("x.arc");
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const TFolderNode deepest = model.GetFolderNode(root, "a/b/c/d/e.txt");
    QCOMPARE(PathOf(model, deepest), QStringLiteral("a/b/c/d"));
    QCOMPARE(model.NodeCount(), 5);
    QCOMPARE(inserted.count(), rowsInserted);

    int shown = 0;
    for (QModelIndex node = model.index(0, 0); node.isValid(); node = model.index(0, 0, node))
        ++shown;
    QCOMPARE(shown, std::min(levels, 5));
    QCOMPARE(model.IndexOf(deepest).isValid(), levels >= 5);
    model.SetImageIndex(deepest, 1);
    QCOMPARE(changed.count(), levels >= 5 ? 1 : 0);
}

QTEST_MAIN(TFolderTreeModelTest)
#include "FolderTreeModelTest.moc"
