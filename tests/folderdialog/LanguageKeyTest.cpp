// The language keys of the caption lists.
#include "LanguageKey.h"

#include <QLocale>
#include <QTest>

#include <utility>

using namespace trovel;

class TLanguageKeyTest final : public QObject
{
    Q_OBJECT

private slots:
    void mapsLocalesToLanguageKeys_data();
    void mapsLocalesToLanguageKeys();
};

void TLanguageKeyTest::mapsLocalesToLanguageKeys_data()
{
    // The row's tag is the locale; "0000" is the key of locales without one.
    QTest::addColumn<QString>("key");
    const std::pair<const char *, const char *> keys[] = {
        {"de_DE", "0407"}, {"de_CH", "0807"}, {"fr_FR", "040C"},
        {"fr_MC", "180C"}, {"pl_PL", "0415"}, {"en_TT", "2C09"},
        {"ru_RU", "0419"}, {"sw_KE", "0000"}, {"C", "0000"}};
    for (const auto &[Locale, Key] : keys)
        QTest::newRow(Locale) << QString::fromLatin1(Key);
}

void TLanguageKeyTest::mapsLocalesToLanguageKeys()
{
    QFETCH(QString, key);
    QCOMPARE(LanguageKeyOf(QLocale(QString::fromLatin1(QTest::currentDataTag()))), key);
}

QTEST_MAIN(TLanguageKeyTest)
#include "LanguageKeyTest.moc"