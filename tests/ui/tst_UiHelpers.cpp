// The window's small rules: names, titles, messages, menus, filters, ordering.
#include "ArcErrors.h"
#include "CentredPosition.h"
#include "Collation.h"
#include "CommandGuard.h"
#include "DesignScale.h"
#include "EventPacer.h"
#include "Main.h"
#include "MenuKeys.h"
#include "MessageBoxes.h"
#include "ModalSeam.h"
#include "TreeStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionViewItem>
#include <QtTest>

#include <algorithm>
#include <new>
#include <stdexcept>

using namespace trovel;

class TUiHelpersTest final : public QObject
{
    Q_OBJECT

private slots:
    void extractArcFileNameKeepsTextAfterLastSlash_data();
    void extractArcFileNameKeepsTextAfterLastSlash();
    void errorMessagesGetClosingPeriod_data();
    void errorMessagesGetClosingPeriod();
    void applicationTitleComesFromExecutableName_data();
    void applicationTitleComesFromExecutableName();
    void accessKeysTakeFirstFreeLetterOrDigit_data();
    void accessKeysTakeFirstFreeLetterOrDigit();
    void guardTurnsEveryExceptionIntoItsMessage_data();
    void guardTurnsEveryExceptionIntoItsMessage();
    void seamAnswersInOrderThenFallsBack();
    void collationSortsLikeDesktopFileLists_data();
    void collationSortsLikeDesktopFileLists();
    void panelCentresOnOuterSize_data();
    void panelCentresOnOuterSize();
    void pacerIsDueFirstThenAfterInterval();
    void designSizesScaleWithLineHeight_data();
    void designSizesScaleWithLineHeight();
    void screenFontFollowsPixelsPerInch_data();
    void screenFontFollowsPixelsPerInch();
    void treeLinesInEveryStyle_data();
    void treeLinesInEveryStyle();
    void hotTrackingInEveryStyle_data();
    void hotTrackingInEveryStyle();
};

void TUiHelpersTest::extractArcFileNameKeepsTextAfterLastSlash_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no folder") << QByteArray("readme.txt") << QByteArray("readme.txt");
    QTest::newRow("folders") << QByteArray("textures/sky/clouds.tex") << QByteArray("clouds.tex");
    QTest::newRow("ends in slash") << QByteArray("x/") << QByteArray("");
    QTest::newRow("leading slash") << QByteArray("/x") << QByteArray("x");
    QTest::newRow("backslash is ordinary") << QByteArray("a\\b/c\\d") << QByteArray("c\\d");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
    QTest::newRow("8-bit bytes") << QByteArray("d\xe4ten/\xfc\xff.bin")
                                 << QByteArray("\xfc\xff.bin");
}

void TUiHelpersTest::extractArcFileNameKeepsTextAfterLastSlash()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(ExtractArcFileName(name.toStdString())), expected);
}

void TUiHelpersTest::errorMessagesGetClosingPeriod_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Stream-Lesefehler"
                            << "Stream-Lesefehler.";
    QTest::newRow("digit") << "Fehler 7"
                           << "Fehler 7.";
    QTest::newRow("question mark") << "Wie?"
                                   << "Wie?.";
    QTest::newRow("slash") << "a/"
                           << "a/.";
    QTest::newRow("umlaut") << "Prüfung ä"
                            << "Prüfung ä.";
    QTest::newRow("period") << "Done."
                            << "Done.";
    QTest::newRow("exclamation") << "Please open an archive first!"
                                 << "Please open an archive first!";
    QTest::newRow("parenthesis") << "(x)"
                                 << "(x)";
    QTest::newRow("comma") << "a,"
                           << "a,";
    QTest::newRow("space") << "a "
                           << "a ";
    QTest::newRow("empty") << ""
                           << "";
}

void TUiHelpersTest::errorMessagesGetClosingPeriod()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(WithClosingPeriod(message), shown);
}

void TUiHelpersTest::applicationTitleComesFromExecutableName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "/usr/bin/Trovel"
                           << "Trovel";
    QTest::newRow("upper case with extension") << "C:/Tools/TROVEL.EXE"
                                               << "Trovel";
    QTest::newRow("first letter kept") << "/opt/trovel"
                                       << "trovel";
    QTest::newRow("cut at first dot") << "/opt/Trovel.new.bin"
                                      << "Trovel";
    QTest::newRow("one letter") << "/x/T"
                                << "T";
}

void TUiHelpersTest::applicationTitleComesFromExecutableName()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitleFor(path), title);
}

void TUiHelpersTest::accessKeysTakeFirstFreeLetterOrDigit_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("keyed");
    QTest::newRow("extract menu") << QStringList{"Selected file...", "All files..."}
                                  << QStringList{"&Selected file...", "&All files..."};
    QTest::newRow("help menu") << QStringList{"About Trovel..."} << QStringList{"&About Trovel..."};
    QTest::newRow("explicit keys kept, separator skipped")
        << QStringList{"&Open", "-", "E&xit"} << QStringList{"&Open", "-", "E&xit"};
    QTest::newRow("explicit key taken first")
        << QStringList{"Open", "&Options"} << QStringList{"O&pen", "&Options"};
    QTest::newRow("earlier item wins, case-insensitive")
        << QStringList{"save", "Search", "SS"} << QStringList{"&save", "S&earch", "SS"};
    QTest::newRow("digits count, punctuation does not")
        << QStringList{"...1 more", "1st"} << QStringList{"...&1 more", "1&st"};
    QTest::newRow("escaped ampersand is no key") << QStringList{"A&&B"} << QStringList{"&A&&B"};
}

void TUiHelpersTest::accessKeysTakeFirstFreeLetterOrDigit()
{
    QFETCH(QStringList, captions);
    QFETCH(QStringList, keyed);
    QCOMPARE(WithAccessKeys(captions), keyed);
}

void TUiHelpersTest::guardTurnsEveryExceptionIntoItsMessage_data()
{
    QTest::addColumn<std::function<void()>>("command");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("no failure") << std::function<void()>([] {}) << QStringList{};
    QTest::newRow("open error") << std::function<void()>([] { throw EFOpenError("/x/a.arc"); })
                                << QStringList{"Datei /x/a.arc kann nicht geöffnet werden"};
    QTest::newRow("read error") << std::function<void()>([] { throw EReadError(); })
                                << QStringList{"Stream-Lesefehler"};
    QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                   << QStringList{"Zu wenig Arbeitsspeicher"};
    QTest::newRow("other") << std::function<void()>([] { throw std::runtime_error("x y"); })
                           << QStringList{"x y"};
}

void TUiHelpersTest::guardTurnsEveryExceptionIntoItsMessage()
{
    QFETCH(std::function<void()>, command);
    QFETCH(QStringList, shown);
    QStringList messages;
    TCommandGuard guard([&](const QString &message) { messages.append(message); });
    guard.Run(command);
    QCOMPARE(messages, shown);
}

// A component that is no QDialog (the folder chooser) runs through the same
// queue as the dialogs; with nothing queued it is shown.
void TUiHelpersTest::seamAnswersInOrderThenFallsBack()
{
    TModalSeam seam;
    QObject chooser;
    chooser.setObjectName("chooser");
    QStringList log;
    seam.AnswerNext([&](QObject &dialog) {
        log << "first:" + dialog.objectName();
        return 7;
    });
    seam.AnswerNext([&](QObject &dialog) {
        log << "second:" + dialog.objectName();
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

void TUiHelpersTest::collationSortsLikeDesktopFileLists_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("sorted");
    const QList<QStringList> orders = {
        {"a.txt", "A.txt", "b.txt"}, {"10.txt", "9.txt"},       {"cook", "co-op", "coop", "coops"},
        {"can't", "cant", "cant2"},  {"file.txt", "file2.txt"}, {"a.txt", "alpha", "Alpha", "beta"},
        {"_x", "1", "a", "Z"},       {"ab", "aB", "Ab", "AB"},  {"", "a"},
    };
    for (const char *locale : {"C", "en_US", "de_DE", "sv_SE"}) {
        for (const QStringList &order : orders)
            QTest::addRow("%s: %s", locale, qPrintable(order.join(u' '))) << locale << order;
    }
}

void TUiHelpersTest::collationSortsLikeDesktopFileLists()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, sorted);
    const TCollator collator{QLocale(locale)};
    if (locale == u"C")
        QCOMPARE(collator.LocaleId(), std::string());
    QStringList shuffled = sorted;
    std::reverse(shuffled.begin(), shuffled.end());
    std::stable_sort(shuffled.begin(), shuffled.end(), [&](const QString &a, const QString &b) {
        return collator.Compare(a, b) < 0;
    });
    QCOMPARE(shuffled, sorted);
    for (qsizetype i = 1; i < sorted.size(); ++i)
        QVERIFY2(collator.Compare(sorted[i - 1], sorted[i]) < 0, qPrintable(sorted[i]));
}

void TUiHelpersTest::panelCentresOnOuterSize_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QPoint>("place");
    QTest::newRow("outer size at line height 13") << QSize(744, 541) << QPoint(231, 226);
    QTest::newRow("client size at line height 13") << QSize(736, 487) << QPoint(227, 199);
    QTest::newRow("odd differences round down") << QSize(282, 90) << QPoint(0, 0);
    // Truncated toward zero, not rounded down: -181 / 2 is -90.
    QTest::newRow("smaller than the panel") << QSize(100, 50) << QPoint(-90, -19);
}

void TUiHelpersTest::panelCentresOnOuterSize()
{
    QFETCH(QSize, outer);
    QFETCH(QPoint, place);
    QCOMPARE(CentredPosition(outer, QSize(281, 89)), place);
}

void TUiHelpersTest::pacerIsDueFirstThenAfterInterval()
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

void TUiHelpersTest::designSizesScaleWithLineHeight_data()
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

void TUiHelpersTest::designSizesScaleWithLineHeight()
{
    QFETCH(int, lineHeight);
    QFETCH(QRect, design);
    QFETCH(QRect, scaled);
    const TDesignScale scale(lineHeight);
    QCOMPARE(scale(design), scaled);
    QCOMPARE(scale(design.size()), scaled.size());
    QCOMPARE(scale(design.width()), scaled.width());
}

void TUiHelpersTest::screenFontFollowsPixelsPerInch_data()
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

void TUiHelpersTest::screenFontFollowsPixelsPerInch()
{
    QFETCH(QFont, font);
    QFETCH(qreal, pixelsPerInch);
    QFETCH(QFont, shown);
    QCOMPARE(ScreenFont(font, pixelsPerInch), shown);
}

void TUiHelpersTest::treeLinesInEveryStyle_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("state");
    // Which lines are drawn (to the node, up, down), whether the expand
    // button is, and whether it shows "+".
    QTest::addColumn<QString>("drawn");
    using S = QStyle;
    const QList<std::tuple<const char *, int, const char *>> cases = {
        {"last node", S::State_Item, "node up"},
        {"node with a sibling below", S::State_Item | S::State_Sibling, "node up down"},
        {"ancestor with a sibling below", S::State_Sibling, "up down"},
        {"last ancestor", S::State_None, ""},
        {"collapsed node", S::State_Item | S::State_Children, "node up button plus"},
        {"expanded node", S::State_Item | S::State_Children | S::State_Open, "node up button"},
    };
    for (const char *base : {"Fusion", "Windows"}) {
        for (const auto &[name, state, drawn] : cases)
            QTest::addRow("%s: %s", base, name) << base << state << drawn;
    }
}

void TUiHelpersTest::treeLinesInEveryStyle()
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

void TUiHelpersTest::hotTrackingInEveryStyle_data()
{
    QTest::addColumn<QString>("base");
    QTest::newRow("Fusion") << "Fusion";
    QTest::newRow("Windows") << "Windows";
}

// The node under the mouse has its text drawn in the link colour.
void TUiHelpersTest::hotTrackingInEveryStyle()
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

QTEST_MAIN(TUiHelpersTest)
#include "tst_UiHelpers.moc"
