// One All files run without the window: the reports it shows at its pace, a
// cancel handled while a report is on show, and the last report shown however
// the run ends.
#include "ExtractAllRun.h"

#include <QtTest>

#include <stdexcept>

using namespace trovel;

namespace {

const QStringList Names = {"a", "b/c", "d"};

// Runs as the reader does: a report before each entry, stopping at the first
// that asks to stop. The entries passed are those written.
QStringList ExtractNames(TExtractAllRun &Run)
{
    QStringList written;
    Run.Run([&] {
        for (const QString &name : Names) {
            if (Run.Report(name.toStdString()))
                return;
            written.append(name);
        }
    });
    return written;
}

} // namespace

class TExtractAllRunTest final : public QObject
{
    Q_OBJECT

private slots:
    void reportsAreShownAtTheirPace_data();
    void reportsAreShownAtTheirPace();
    void cancelStopsBeforeShownEntry_data();
    void cancelStopsBeforeShownEntry();
    void failedRunShowsItsLastReportFirst();
};

void TExtractAllRunTest::reportsAreShownAtTheirPace_data()
{
    QTest::addColumn<int>("pacing");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("every report") << 0 << QStringList{"1:a", "2:b/c", "3:d", "3:d"};
    // The first report, and where the run ended.
    QTest::newRow("paced") << 3600000 << QStringList{"1:a", "3:d"};
}

void TExtractAllRunTest::reportsAreShownAtTheirPace()
{
    QFETCH(int, pacing);
    QFETCH(QStringList, shown);
    TExtractAllRun run{std::chrono::milliseconds(pacing)};
    QStringList seen;
    connect(&run, &TExtractAllRun::ProgressShown, this, [&](int Position, const std::string &Name) {
        seen.append(QString::number(Position) + u':' + QString::fromStdString(Name));
    });
    QCOMPARE(ExtractNames(run), Names);
    QCOMPARE(seen, shown);
}

void TExtractAllRunTest::cancelStopsBeforeShownEntry_data()
{
    QTest::addColumn<int>("shownEntry");
    QTest::newRow("at the first report") << 1;
    QTest::newRow("in the middle") << 2;
    QTest::newRow("at the last entry") << 3;
}

// A cancel that waits in the queue while report k is on show stops the run
// before entry k. The request stays until the next run, which starts afresh.
void TExtractAllRunTest::cancelStopsBeforeShownEntry()
{
    QFETCH(int, shownEntry);
    TExtractAllRun run{std::chrono::milliseconds(0)};
    bool posted = false;
    connect(&run, &TExtractAllRun::ProgressShown, this, [&](int Position) {
        if (Position == shownEntry && !posted) {
            posted = true;
            QMetaObject::invokeMethod(
                this, [&] { run.Cancel(); }, Qt::QueuedConnection);
        }
    });
    QCOMPARE(ExtractNames(run), Names.first(shownEntry - 1));
    QVERIFY(run.Cancelled());
    QCOMPARE(ExtractNames(run), Names);
    QVERIFY(!run.Cancelled());
}

void TExtractAllRunTest::failedRunShowsItsLastReportFirst()
{
    TExtractAllRun run{std::chrono::hours(1)};
    QStringList seen;
    connect(&run, &TExtractAllRun::ProgressShown, this, [&](int Position, const std::string &Name) {
        seen.append(QString::number(Position) + u':' + QString::fromStdString(Name));
    });
    try {
        run.Run([&] {
            run.Report("a");
            run.Report("b");
            throw std::runtime_error("disk full");
        });
        QFAIL("the failure did not travel on");
    } catch (const std::runtime_error &) {
        QCOMPARE(seen, (QStringList{"1:a", "2:b"}));
    }
}

QTEST_MAIN(TExtractAllRunTest)
#include "ExtractAllRunTest.moc"
