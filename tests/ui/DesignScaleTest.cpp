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
    void firstPlacementKeepsFrameOnDesktop_data();
    void firstPlacementKeepsFrameOnDesktop();
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

void TDesignScaleTest::firstPlacementKeepsFrameOnDesktop_data()
{
    QTest::addColumn<QSize>("designed");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("desktop");
    QTest::addColumn<QPoint>("framePosition");
    QTest::addColumn<QSize>("size");
    const QMargins frame(1, 22, 1, 1);
    QTest::newRow("fits: centred") << QSize(736, 507) << frame << QRect(0, 0, 1024, 768)
                                   << QPoint(143, 119) << QSize(736, 507);
    // A font of 144 pixels per inch on 1280 x 800: 23 pixels too high.
    QTest::newRow("too high: both sides shrink")
        << QSize(1190, 800) << frame << QRect(0, 0, 1280, 800) << QPoint(61, 0) << QSize(1155, 777);
    QTest::newRow("too wide: both sides shrink")
        << QSize(1600, 400) << frame << QRect(0, 0, 1280, 800) << QPoint(0, 229)
        << QSize(1278, 319);
    QTest::newRow("desktop below a panel") << QSize(1190, 800) << frame << QRect(0, 30, 1280, 770)
                                           << QPoint(83, 30) << QSize(1111, 747);
    QTest::newRow("exactly the room")
        << QSize(1278, 777) << frame << QRect(0, 0, 1280, 800) << QPoint(0, 0) << QSize(1278, 777);
}

// However large the font makes the window, its frame lies on the desktop and
// its sides keep the design's proportions.
void TDesignScaleTest::firstPlacementKeepsFrameOnDesktop()
{
    QFETCH(QSize, designed);
    QFETCH(QMargins, frame);
    QFETCH(QRect, desktop);
    QFETCH(QPoint, framePosition);
    QFETCH(QSize, size);
    const TPlacement place = FirstPlacement(designed, frame, desktop);
    QCOMPARE(place.FramePosition, framePosition);
    QCOMPARE(place.Size, size);
    QVERIFY(desktop.contains(QRect(place.FramePosition, place.Size.grownBy(frame))));
}

QTEST_MAIN(TDesignScaleTest)
#include "DesignScaleTest.moc"