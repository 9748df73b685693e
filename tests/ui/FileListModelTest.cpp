// The file list without the window, under Qt's model checker.
#include "FileListModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

#include <vector>

using namespace trovel;

namespace {

QStringList RowsOf(const TFileListModel &List)
{
    QStringList rows;
    for (int row = 0; row < List.rowCount(); ++row)
        rows.append(List.index(row, 0).data().toString() + u':' +
                    List.index(row, 1).data().toString());
    return rows;
}

} // namespace

class TFileListModelTest final : public QObject
{
    Q_OBJECT

private slots:
    void fileRowsAreSortedOnce_data();
    void fileRowsAreSortedOnce();
    void fileListShowsColumnsAndEntryIndices();
};

void TFileListModelTest::fileRowsAreSortedOnce_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("case") << QStringList{"b.txt", "A.txt", "a.txt"}
                          << QStringList{"a.txt", "A.txt", "b.txt"};
    QTest::newRow("digits as characters")
        << QStringList{"9.txt", "10.txt"} << QStringList{"10.txt", "9.txt"};
#ifdef Q_OS_WIN // word sort: the hyphen decides only between otherwise equal names
    QTest::newRow("hyphen counts for less") << QStringList{"coop", "cooler", "co-op", "copper"}
                                            << QStringList{"cooler", "coop", "co-op", "copper"};
#else
    QTest::newRow("hyphen counts for less") << QStringList{"coop", "cooler", "co-op", "copper"}
                                            << QStringList{"cooler", "co-op", "coop", "copper"};
#endif
    QTest::newRow("punctuation before digits and letters")
        << QStringList{"file2.txt", "alpha", "file.txt", "a.txt"}
        << QStringList{"a.txt", "alpha", "file.txt", "file2.txt"};
    QTest::newRow("equal captions keep entry order")
        << QStringList{"same", "same", "Same"} << QStringList{"same", "same", "Same"};
    QTest::newRow("empty caption first") << QStringList{"x", ""} << QStringList{"", "x"};
}

void TFileListModelTest::fileRowsAreSortedOnce()
{
    QFETCH(QStringList, captions);
    QFETCH(QStringList, sorted);
    TFileListModel model{TCollator(QLocale::c())};
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    std::vector<TFileRow> rows;
    for (int i = 0; i < captions.size(); ++i)
        rows.push_back({i, 0, captions[i]});
    model.Fill(std::move(rows));
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown.append(model.Row(row).Caption);
    QCOMPARE(shown, sorted);
    for (int row = 1; row < model.rowCount(); ++row) {
        if (model.Row(row - 1).Caption == model.Row(row).Caption)
            QVERIFY(model.Row(row - 1).EntryIndex < model.Row(row).EntryIndex);
    }
}

void TFileListModelTest::fileListShowsColumnsAndEntryIndices()
{
    TFileListModel model{TCollator(QLocale::c())};
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.Fill({{7, 4294967295u, "big"}, {3, 0, "empty"}, {5, 12345, ""}});
    QCOMPARE(RowsOf(model), (QStringList{":12345", "big:4294967295", "empty:0"}));
    QCOMPARE(model.index(1, 0).data(TFileListModel::EntryIndexRole).toInt(), 7);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Filename"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Size"));
    const auto alignment = [](const QVariant &Value) {
        return Value.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(alignment(model.index(0, 1).data(Qt::TextAlignmentRole)), Qt::AlignRight);
    QCOMPARE(alignment(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole)), Qt::AlignRight);
    // Rows are read-only.
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
    model.Clear();
    QCOMPARE(model.rowCount(), 0);
}

QTEST_MAIN(TFileListModelTest)
#include "FileListModelTest.moc"