// Paths shortened for the status line, home written as "~".
#include "ShortenPath.h"

#include <QTest>

using namespace trovel;

class TShortenPathTest final : public QObject
{
    Q_OBJECT

private slots:
    void shortensPathsForTheStatusLine_data();
    void shortensPathsForTheStatusLine();
    void writesHomeAsTilde_data();
    void writesHomeAsTilde();
};

void TShortenPathTest::shortensPathsForTheStatusLine_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<int>("maxLen");
    QTest::addColumn<QString>("expected");

    const QChar back = u'\\';
    const QChar slash = u'/';
    const QString x60(60, u'x');

    QTest::newRow("short drive path") << "C:\\Daten\\Kurz" << back << 50 << "C:\\Daten\\Kurz";
    QTest::newRow("drive, leading folders left out")
        << "C:\\Programme\\Spiele\\Ein sehr langer Ordnername\\Unterordner\\Daten" << back << 50
        << "C:\\...\\Unterordner\\Daten";
    QTest::newRow("server head kept")
        << "\\\\server\\freigabe\\Projekte\\Archiv\\2006\\Texturen\\Gelaende" << back << 50
        << "\\\\server\\...\\Archiv\\2006\\Texturen\\Gelaende";
    QTest::newRow("drive root and one long name is cut")
        << "C:\\" + QString(57, u'a') << back << 50 << "C:\\" + QString(47, u'a');
    QTest::newRow("last name too long")
        << "C:\\Daten\\" + x60 << back << 50 << "C:\\...\\" + QString(40, u'x') + "...";
    QTest::newRow("limit below 6 cuts") << "C:\\Programme\\Spiele" << back << 5 << "C:\\Pr";
    QTest::newRow("no separator is cut") << x60 << back << 50 << QString(50, u'x');

    QTest::newRow("first folder kept as head")
        << "/home/anna/Spiele/Ein sehr langer Ordnername/Unterordner/Daten" << slash << 50
        << "/home/.../Unterordner/Daten";
    QTest::newRow("several folders left out")
        << "/home/anna/Ein sehr langer Ordnername/Noch ein langer Ordnername/Texturen/Gelaende"
        << slash << 50 << "/home/.../Texturen/Gelaende";
    QTest::newRow("root and one long name is cut")
        << "/" + QString(59, u'a') << slash << 50 << "/" + QString(49, u'a');
    QTest::newRow("last name too long below /")
        << "/home/daten/" + x60 << slash << 50 << "/home/.../" + QString(37, u'x') + "...";
    QTest::newRow("tilde kept as head")
        << "~/Spiele/Ein sehr langer Ordnername/Unterordner/Texturen/Gelaende" << slash << 50
        << "~/.../Unterordner/Texturen/Gelaende";
    QTest::newRow("backslash is no separator in / paths")
        << "/home/a\\b\\c\\d\\" + x60 << slash << 50 << "/home/a\\b\\c\\d\\" + QString(36, u'x');
}

void TShortenPathTest::shortensPathsForTheStatusLine()
{
    QFETCH(QString, path);
    QFETCH(QChar, separator);
    QFETCH(int, maxLen);
    QFETCH(QString, expected);
    const QString shortened = ShortenPath(path, maxLen, separator);
    QCOMPARE(shortened, expected);
    QVERIFY(shortened.size() <= maxLen);
}

void TShortenPathTest::writesHomeAsTilde_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("home") << "/home/anna"
                          << "/home/anna"
                          << "~";
    QTest::newRow("below home") << "/home/anna/Spiele"
                                << "/home/anna"
                                << "~/Spiele";
    QTest::newRow("namesake beside home") << "/home/anna2/Spiele"
                                          << "/home/anna"
                                          << "/home/anna2/Spiele";
    QTest::newRow("outside home") << "/srv/Spiele"
                                  << "/home/anna"
                                  << "/srv/Spiele";
    QTest::newRow("home is the root") << "/srv/Spiele"
                                      << "/"
                                      << "/srv/Spiele";
}

void TShortenPathTest::writesHomeAsTilde()
{
    QFETCH(QString, path);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    QCOMPARE(WithHomeAsTilde(path, home), expected);
}

QTEST_MAIN(TShortenPathTest)
#include "ShortenPathTest.moc"