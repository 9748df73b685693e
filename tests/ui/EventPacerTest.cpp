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
    pacer.RunEvents();
    QVERIFY(!pacer.Due());
    pacer.Restart();
    QVERIFY(pacer.Due());
    TEventPacer always(0ms);
    always.RunEvents();
    QVERIFY(always.Due());
}

QTEST_MAIN(TEventPacerTest)
#include "EventPacerTest.moc"