// What the window lets happen while a load or All files runs.
#include "RunningState.h"

#include <QtTest>

using namespace trovel;
using TRunning = TRunningState::TRunning;

class TRunningStateTest final : public QObject
{
    Q_OBJECT

private slots:
    void commandsAndClosingFollowWhatRuns_data();
    void commandsAndClosingFollowWhatRuns();
};

void TRunningStateTest::commandsAndClosingFollowWhatRuns_data()
{
    QTest::addColumn<TRunning>("running");
    QTest::addColumn<bool>("mayOpen");
    QTest::addColumn<bool>("mayExtract");
    QTest::newRow("nothing") << TRunning::Nothing << true << true;
    QTest::newRow("a load") << TRunning::Load << false << true;
    QTest::newRow("All files") << TRunning::ExtractAll << false << false;
}

// A close asked for while something runs is put off, and taken once, when the
// operation has returned.
void TRunningStateTest::commandsAndClosingFollowWhatRuns()
{
    QFETCH(TRunning, running);
    QFETCH(bool, mayOpen);
    QFETCH(bool, mayExtract);
    TRunningState state;
    {
        const auto entered = state.Enter(running);
        QCOMPARE(state.Running(), running);
        QCOMPARE(state.MayOpen(), mayOpen);
        QCOMPARE(state.MayExtract(), mayExtract);
        QCOMPARE(state.MayClose(), running == TRunning::Nothing);
        QVERIFY(!state.TakePendingClose());
    }
    QCOMPARE(state.Running(), TRunning::Nothing);
    QVERIFY(state.MayOpen() && state.MayExtract());
    QCOMPARE(state.TakePendingClose(), running != TRunning::Nothing);
    QVERIFY(!state.TakePendingClose());
}

QTEST_MAIN(TRunningStateTest)
#include "RunningStateTest.moc"
