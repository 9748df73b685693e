// Where the new-folder button stands, and how wide it is.
#include "NewFolderButtonLayout.h"

#include <QRect>
#include <QTest>

using namespace trovel;

class TNewFolderButtonLayoutTest final : public QObject
{
    Q_OBJECT

private slots:
    void placesNewFolderButtonByResolution_data();
    void placesNewFolderButtonByResolution();
    void sizesNewFolderButtonByCaption_data();
    void sizesNewFolderButtonByCaption();
};

void TNewFolderButtonLayoutTest::placesNewFolderButtonByResolution_data()
{
    QTest::addColumn<int>("ppi");
    QTest::addColumn<QRect>("expected");
    // A client area 400 pixels high, a window caption 24 pixels high.
    QTest::newRow("72") << 72 << QRect(12, 364, 75, 23);
    QTest::newRow("96") << 96 << QRect(12, 364, 75, 23);
    QTest::newRow("120") << 120 << QRect(15, 355, 93, 28);
    QTest::newRow("144") << 144 << QRect(17, 344, 112, 35);
    QTest::newRow("192") << 192 << QRect(20, 334, 150, 41);
    QTest::newRow("100 scales, truncating") << 100 << QRect(12, 359, 78, 23);
    QTest::newRow("168 scales, truncating") << 168 << QRect(21, 359, 131, 40);
}

void TNewFolderButtonLayoutTest::placesNewFolderButtonByResolution()
{
    QFETCH(int, ppi);
    QFETCH(QRect, expected);
    QCOMPARE(NewFolderButtonRect(ppi, 400, 24), expected);
}

void TNewFolderButtonLayoutTest::sizesNewFolderButtonByCaption_data()
{
    QTest::addColumn<int>("textWidth");
    QTest::addColumn<int>("ppi");
    QTest::addColumn<int>("width");
    QTest::newRow("narrow at 72") << 50 << 72 << 75;
    QTest::newRow("wide at 72") << 70 << 72 << 82;
    QTest::newRow("narrow at 96") << 50 << 96 << 75;
    QTest::newRow("wide at 96") << 80 << 96 << 92;
    QTest::newRow("narrow at 120") << 50 << 120 << 93;
    QTest::newRow("wide at 120") << 100 << 120 << 112;
    QTest::newRow("narrow at 100") << 50 << 100 << 78;
}

void TNewFolderButtonLayoutTest::sizesNewFolderButtonByCaption()
{
    QFETCH(int, textWidth);
    QFETCH(int, ppi);
    QFETCH(int, width);
    QCOMPARE(NewFolderButtonWidth(textWidth, ppi), width);
}

QTEST_MAIN(TNewFolderButtonLayoutTest)
#include "NewFolderButtonLayoutTest.moc"