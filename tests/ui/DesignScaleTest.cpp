// The window's sizes in the font it is shown in.
#include "DesignScale.h"

#include <QTest>

using namespace trovel;

class TDesignScaleTest final : public QObject
{
    Q_OBJECT

private slots:
    void designSizesScaleWithLineHeight_data();
    void designSizesScaleWithLineHeight();
    void screenFontFollowsPixelsPerInch_data();
    void screenFontFollowsPixelsPerInch();
};

void TDesignScaleTest::designSizesScaleWithLineHeight_data()
{
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<QRect>("design");
    QTest::addColumn<QRect>("scaled");
    QTest::newRow("line height 13") << 13 << QRect(240, 184, 281, 89) << QRect(240, 184, 281, 89);
    QTest::newRow("twice as high") << 26 << QRect(240, 184, 281, 89) << QRect(480, 368, 562, 178);
    // 16 * 14 / 13 = 17.2, 8 * 14 / 13 = 8.6, 257 * 14 / 13 = 276.8, 13 * 14 / 13 = 14
    QTest::newRow("to the nearest pixel") << 14 << QRect(16, 8, 257, 13) << QRect(17, 9, 277, 14);
    QTest::newRow("smaller") << 10 << QRect(0, 1, 80, 13) << QRect(0, 1, 62, 10);
}

void TDesignScaleTest::designSizesScaleWithLineHeight()
{
    QFETCH(int, lineHeight);
    QFETCH(QRect, design);
    QFETCH(QRect, scaled);
    const TDesignScale scale(lineHeight);
    QCOMPARE(scale(design), scaled);
    QCOMPARE(scale(design.size()), scaled.size());
    QCOMPARE(scale(design.width()), scaled.width());
}

void TDesignScaleTest::screenFontFollowsPixelsPerInch_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<qreal>("pixelsPerInch");
    QTest::addColumn<QFont>("shown");
    const auto pixels = [](int Size) {
        QFont font;
        font.setPixelSize(Size);
        return font;
    };
    QTest::newRow("pixels at 144") << pixels(11) << 144.0 << pixels(17);
    QTest::newRow("pixels at 120") << pixels(12) << 120.0 << pixels(15);
    QTest::newRow("points follow the screen already")
        << QFont("Sans", 8) << 144.0 << QFont("Sans", 8);
}

void TDesignScaleTest::screenFontFollowsPixelsPerInch()
{
    QFETCH(QFont, font);
    QFETCH(qreal, pixelsPerInch);
    QFETCH(QFont, shown);
    QCOMPARE(ScreenFont(font, pixelsPerInch), shown);
}

QTEST_MAIN(TDesignScaleTest)
#include "DesignScaleTest.moc"