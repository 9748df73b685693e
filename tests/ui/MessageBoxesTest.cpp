// The texts of the message boxes: closing periods, the application title.
#include "MessageBoxes.h"

#include <QTest>

using namespace trovel;

class TMessageBoxesTest final : public QObject
{
    Q_OBJECT

private slots:
    void errorMessagesGetClosingPeriod_data();
    void errorMessagesGetClosingPeriod();
    void applicationTitleComesFromExecutableName_data();
    void applicationTitleComesFromExecutableName();
};

void TMessageBoxesTest::errorMessagesGetClosingPeriod_data()
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

void TMessageBoxesTest::errorMessagesGetClosingPeriod()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(WithClosingPeriod(message), shown);
}

void TMessageBoxesTest::applicationTitleComesFromExecutableName_data()
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

void TMessageBoxesTest::applicationTitleComesFromExecutableName()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitleFor(path), title);
}

QTEST_MAIN(TMessageBoxesTest)
#include "MessageBoxesTest.moc"