// Access keys of menu captions.
#include "MenuKeys.h"

#include <QTest>

using namespace trovel;

class TMenuKeysTest final : public QObject
{
    Q_OBJECT

private slots:
    void accessKeysTakeFirstFreeLetterOrDigit_data();
    void accessKeysTakeFirstFreeLetterOrDigit();
};

void TMenuKeysTest::accessKeysTakeFirstFreeLetterOrDigit_data()
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

void TMenuKeysTest::accessKeysTakeFirstFreeLetterOrDigit()
{
    QFETCH(QStringList, captions);
    QFETCH(QStringList, keyed);
    QCOMPARE(WithAccessKeys(captions), keyed);
}

QTEST_MAIN(TMenuKeysTest)
#include "MenuKeysTest.moc"