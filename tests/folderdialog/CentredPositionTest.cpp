// Centring a box: the progress panel on the window, the folder chooser on the screen.
#include "CentredPosition.h"

#include <QTest>

using namespace trovel;

class TCentredPositionTest final : public QObject
{
    Q_OBJECT

private slots:
    void panelCentresOnOuterSize_data();
    void panelCentresOnOuterSize();
};

void TCentredPositionTest::panelCentresOnOuterSize_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QPoint>("place");
    QTest::newRow("outer size at line height 13") << QSize(744, 541) << QPoint(231, 226);
    QTest::newRow("client size at line height 13") << QSize(736, 487) << QPoint(227, 199);
    QTest::newRow("odd differences round down") << QSize(282, 90) << QPoint(0, 0);
    // Truncated toward zero, not rounded down: -181 / 2 is -90.
    QTest::newRow("smaller than the panel") << QSize(100, 50) << QPoint(-90, -19);
}

void TCentredPositionTest::panelCentresOnOuterSize()
{
    QFETCH(QSize, outer);
    QFETCH(QPoint, place);
    QCOMPARE(CentredPosition(outer, QSize(281, 89)), place);
}

QTEST_MAIN(TCentredPositionTest)
#include "CentredPositionTest.moc"