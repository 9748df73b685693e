// The order of file names in the list.
#include "Collation.h"

#include <QTest>

#include <algorithm>

using namespace trovel;

class TCollationTest final : public QObject
{
    Q_OBJECT

private slots:
    void collationSortsLikeDesktopFileLists_data();
    void collationSortsLikeDesktopFileLists();
};

void TCollationTest::collationSortsLikeDesktopFileLists_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("sorted");
    // Windows' word sort weighs a hyphen and an apostrophe only where the
    // names are otherwise equal, and then after them.
#ifdef Q_OS_WIN
    const QStringList hyphen = {"cook", "coop", "co-op", "coops"};
    const QStringList apostrophe = {"cant", "can't", "cant2"};
#else
    const QStringList hyphen = {"cook", "co-op", "coop", "coops"};
    const QStringList apostrophe = {"can't", "cant", "cant2"};
#endif
    const QList<QStringList> orders = {
        {"a.txt", "A.txt", "b.txt"},
        {"10.txt", "9.txt"},
        hyphen,
        apostrophe,
        {"file.txt", "file2.txt"},
        {"a.txt", "alpha", "Alpha", "beta"},
        {"_x", "1", "a", "Z"},
        {"ab", "aB", "Ab", "AB"},
        {"", "a"},
    };
    for (const char *locale : {"C", "en_US", "de_DE", "sv_SE"}) {
        for (const QStringList &order : orders)
            QTest::addRow("%s: %s", locale, qPrintable(order.join(u' '))) << locale << order;
    }
}

void TCollationTest::collationSortsLikeDesktopFileLists()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, sorted);
    const TCollator collator{QLocale(locale)};
    if (locale == u"C")
        QCOMPARE(collator.LocaleId(), std::string());
    QStringList shuffled = sorted;
    std::reverse(shuffled.begin(), shuffled.end());
    std::stable_sort(shuffled.begin(), shuffled.end(), [&](const QString &A, const QString &B) {
        return collator.Compare(A, B) < 0;
    });
    QCOMPARE(shuffled, sorted);
    for (qsizetype i = 1; i < sorted.size(); ++i)
        QVERIFY2(collator.Compare(sorted[i - 1], sorted[i]) < 0, qPrintable(sorted[i]));
}

QTEST_MAIN(TCollationTest)
#include "CollationTest.moc"