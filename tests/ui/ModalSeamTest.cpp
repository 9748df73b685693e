// The seam that every dialog of the window runs through.
#include "ModalSeam.h"

#include <QObject>
#include <QTest>

using namespace trovel;

class TModalSeamTest final : public QObject
{
    Q_OBJECT

private slots:
    void seamAnswersInOrderThenFallsBack();
};

// A component that is no QDialog (the folder chooser) runs through the same
// queue as the dialogs; with nothing queued it is shown.
void TModalSeamTest::seamAnswersInOrderThenFallsBack()
{
    TModalSeam seam;
    QObject chooser;
    chooser.setObjectName("chooser");
    QStringList log;
    seam.AnswerNext([&](QObject &Dialog) {
        log << "first:" + Dialog.objectName();
        return 7;
    });
    seam.AnswerNext([&](QObject &Dialog) {
        log << "second:" + Dialog.objectName();
        return 8;
    });
    const auto show = [&] {
        log << QStringLiteral("shown");
        return 1;
    };
    QCOMPARE(seam.Run(chooser, show), 7);
    QCOMPARE(seam.Run(chooser, show), 8);
    QCOMPARE(seam.PendingAnswers(), 0);
    QCOMPARE(seam.Run(chooser, show), 1);
    seam.AnswerOthers([&](QObject &) {
        log << QStringLiteral("other");
        return 0;
    });
    QCOMPARE(seam.Run(chooser, show), 0);
    QCOMPARE(log, (QStringList{"first:chooser", "second:chooser", "shown", "other"}));
    QCOMPARE(seam.RunCount(), 4);
}

QTEST_MAIN(TModalSeamTest)
#include "ModalSeamTest.moc"