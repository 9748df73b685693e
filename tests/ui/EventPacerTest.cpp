// How often a long run lets pending events run.
#include "EventPacer.h"

#include <QTest>

#include <chrono>

using namespace trovel;

class TEventPacerTest final : public QObject
{
    Q_OBJECT

private slots:
    void pacerIsDueFirstThenAfterInterval();
};

void TEventPacerTest::pacerIsDueFirstThenAfterInterval()
{
    using namespace std::chrono_literals;
    TEventPacer pacer(1h);
    QVERIFY(pacer.Due());
    pacer.Ran();
    QVERIFY(!pacer.Due());
    pacer.Restart();
    QVERIFY(pacer.Due());
    pacer.Ran();
    pacer.SetInterval(0ms);
    QVERIFY(pacer.Due());
}

QTEST_MAIN(TEventPacerTest)
#include "EventPacerTest.moc"