// The folder tree's lines and hot tracking in every base style.
#include "TreeStyle.h"

#include <QImage>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionViewItem>
#include <QTest>

using namespace trovel;

class TTreeStyleTest final : public QObject
{
    Q_OBJECT

private slots:
    void treeLinesInEveryStyle_data();
    void treeLinesInEveryStyle();
    void hotTrackingInEveryStyle_data();
    void hotTrackingInEveryStyle();
};

void TTreeStyleTest::treeLinesInEveryStyle_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("state");
    // Which lines are drawn (to the node, up, down), whether the expand
    // button is, and whether it shows "+".
    QTest::addColumn<QString>("drawn");
    const QList<std::tuple<const char *, int, const char *>> cases = {
        {"last node", QStyle::State_Item, "node up"},
        {"node with a sibling below", QStyle::State_Item | QStyle::State_Sibling, "node up down"},
        {"ancestor with a sibling below", QStyle::State_Sibling, "up down"},
        {"last ancestor", QStyle::State_None, ""},
        {"collapsed node", QStyle::State_Item | QStyle::State_Children, "node up button plus"},
        {"expanded node", QStyle::State_Item | QStyle::State_Children | QStyle::State_Open,
         "node up button"},
    };
    for (const char *base : {"Fusion", "Windows"}) {
        for (const auto &[name, state, drawn] : cases)
            QTest::addRow("%s: %s", base, name) << base << state << drawn;
    }
}

void TTreeStyleTest::treeLinesInEveryStyle()
{
    QFETCH(QString, base);
    QFETCH(int, state);
    QFETCH(QString, drawn);
    // One indentation column of a row, 19 wide and 16 high.
    TTreeStyle style(QStyleFactory::create(base));
    QStyleOption option;
    option.rect = QRect(0, 0, 19, 16);
    option.palette = style.standardPalette();
    option.state = QStyle::State(state) | QStyle::State_Enabled;
    QImage image(option.rect.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    style.drawPrimitive(QStyle::PE_IndicatorBranch, &option, &painter);
    painter.end();
    const auto inked = [&image](const QRect &Area) {
        QImage blank(Area.size(), image.format());
        blank.fill(Qt::white);
        return image.copy(Area) != blank;
    };
    QStringList found;
    const QList<std::pair<const char *, QRect>> lines = {
        {"node", QRect(15, 8, 4, 1)}, {"up", QRect(9, 0, 1, 3)}, {"down", QRect(9, 14, 1, 2)}};
    for (const auto &[name, area] : lines) {
        if (inked(area))
            found.append(name);
    }
    // The box's left edge; the upright of its "+" lies where lines run in
    // the rows without a button.
    if (inked(QRect(5, 4, 1, 9))) {
        found.append("button");
        if (inked(QRect(9, 6, 1, 1)))
            found.append("plus");
    }
    QCOMPARE(found.join(u' '), drawn);
    QCOMPARE(inked(image.rect()), !drawn.isEmpty());
}

void TTreeStyleTest::hotTrackingInEveryStyle_data()
{
    QTest::addColumn<QString>("base");
    QTest::newRow("Fusion") << "Fusion";
    QTest::newRow("Windows") << "Windows";
}

// The node under the mouse has its text drawn in the link colour.
void TTreeStyleTest::hotTrackingInEveryStyle()
{
    QFETCH(QString, base);
    TTreeStyle style(QStyleFactory::create(base));
    const auto bluePixels = [&](QStyle::State State) {
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 80, 20);
        option.palette = style.standardPalette();
        option.text = QStringLiteral("Hot");
        option.features = QStyleOptionViewItem::HasDisplay;
        option.state = State | QStyle::State_Enabled;
        QImage image(option.rect.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        style.drawControl(QStyle::CE_ItemViewItem, &option, &painter);
        painter.end();
        int blue = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                blue += pixel.blue() > pixel.red() + 60;
            }
        }
        return blue;
    };
    QCOMPARE(bluePixels(QStyle::State_None), 0);
    QVERIFY(bluePixels(QStyle::State_MouseOver) > 0);
}

QTEST_MAIN(TTreeStyleTest)
#include "TreeStyleTest.moc"