#include "FolderTreeFilter.h"
#include "LanguageKey.h"
#include "NewFolderButtonLayout.h"
#include "ShellFolders.h"
#include "ShortenPath.h"
#include "VeskaFolderDialog.h"

#include <QFileSystemModel>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

using namespace trovel;

Q_DECLARE_METATYPE(trovel::TBrowseInfoFlagSet)

class TestHelpers final : public QObject
{
    Q_OBJECT

private slots:
    void shortensPathsForTheStatusLine_data();
    void shortensPathsForTheStatusLine();
    void mapsLocalesToLanguageKeys_data();
    void mapsLocalesToLanguageKeys();
    void placesNewFolderButtonByResolution_data();
    void placesNewFolderButtonByResolution();
    void sizesNewFolderButtonByCaption_data();
    void sizesNewFolderButtonByCaption();
    void convertsFlagSetsToBrowserFlags_data();
    void convertsFlagSetsToBrowserFlags();
    void findsSpecialFoldersOfThisDesktop_data();
    void findsSpecialFoldersOfThisDesktop();
    void narrowsTreeToTopFolder_data();
    void narrowsTreeToTopFolder();
};

void TestHelpers::shortensPathsForTheStatusLine_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<int>("maxLen");
    QTest::addColumn<QString>("expected");

    const QChar Back = u'\\';
    const QChar Slash = u'/';
    const QString X60(60, u'x');

    QTest::newRow("short drive path") << "C:\\Daten\\Kurz" << Back << 50 << "C:\\Daten\\Kurz";
    QTest::newRow("drive, leading folders left out")
        << "C:\\Programme\\Spiele\\Ein sehr langer Ordnername\\Unterordner\\Daten" << Back << 50
        << "C:\\...\\Unterordner\\Daten";
    QTest::newRow("server head kept")
        << "\\\\server\\freigabe\\Projekte\\Archiv\\2006\\Texturen\\Gelaende" << Back << 50
        << "\\\\server\\...\\Archiv\\2006\\Texturen\\Gelaende";
    QTest::newRow("drive root and one long name is cut")
        << "C:\\" + QString(57, u'a') << Back << 50 << "C:\\" + QString(47, u'a');
    QTest::newRow("last name too long")
        << "C:\\Daten\\" + X60 << Back << 50 << "C:\\...\\" + QString(40, u'x') + "...";
    QTest::newRow("limit below 6 cuts") << "C:\\Programme\\Spiele" << Back << 5 << "C:\\Pr";
    QTest::newRow("no separator is cut") << X60 << Back << 50 << QString(50, u'x');

    QTest::newRow("first folder kept as head")
        << "/home/anna/Spiele/Ein sehr langer Ordnername/Unterordner/Daten" << Slash << 50
        << "/home/.../Unterordner/Daten";
    QTest::newRow("several folders left out")
        << "/home/anna/Ein sehr langer Ordnername/Noch ein langer Ordnername/Texturen/Gelaende"
        << Slash << 50 << "/home/.../Texturen/Gelaende";
    QTest::newRow("root and one long name is cut")
        << "/" + QString(59, u'a') << Slash << 50 << "/" + QString(49, u'a');
    QTest::newRow("last name too long below /")
        << "/home/daten/" + X60 << Slash << 50 << "/home/.../" + QString(37, u'x') + "...";
    QTest::newRow("backslash is no separator in / paths")
        << "/home/a\\b\\c\\d\\" + X60 << Slash << 50 << "/home/a\\b\\c\\d\\" + QString(36, u'x');
}

void TestHelpers::shortensPathsForTheStatusLine()
{
    QFETCH(QString, path);
    QFETCH(QChar, separator);
    QFETCH(int, maxLen);
    QFETCH(QString, expected);
    const QString Shortened = ShortenPath(path, maxLen, separator);
    QCOMPARE(Shortened, expected);
    QVERIFY(Shortened.size() <= maxLen);
}

void TestHelpers::mapsLocalesToLanguageKeys_data()
{
    // The row's tag is the locale; "0000" is the key of locales without one.
    QTest::addColumn<QString>("key");
    const std::pair<const char *, const char *> Keys[] = {
        {"de_DE", "0407"}, {"de_CH", "0807"}, {"fr_FR", "040C"},
        {"fr_MC", "180C"}, {"pl_PL", "0415"}, {"en_TT", "2C09"},
        {"ru_RU", "0419"}, {"sw_KE", "0000"}, {"C", "0000"}};
    for (const auto &[Locale, Key] : Keys)
        QTest::newRow(Locale) << QString::fromLatin1(Key);
}

void TestHelpers::mapsLocalesToLanguageKeys()
{
    QFETCH(QString, key);
    QCOMPARE(LanguageKeyOf(QLocale(QString::fromLatin1(QTest::currentDataTag()))), key);
}

void TestHelpers::placesNewFolderButtonByResolution_data()
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

void TestHelpers::placesNewFolderButtonByResolution()
{
    QFETCH(int, ppi);
    QFETCH(QRect, expected);
    QCOMPARE(NewFolderButtonRect(ppi, 400, 24), expected);
}

void TestHelpers::sizesNewFolderButtonByCaption_data()
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

void TestHelpers::sizesNewFolderButtonByCaption()
{
    QFETCH(int, textWidth);
    QFETCH(int, ppi);
    QFETCH(int, width);
    QCOMPARE(NewFolderButtonWidth(textWidth, ppi), width);
}

void TestHelpers::convertsFlagSetsToBrowserFlags_data()
{
    using F = TBrowseInfoFlags;
    QTest::addColumn<TBrowseInfoFlagSet>("flags");
    QTest::addColumn<unsigned>("shellFlags");
    QTest::addColumn<int>("bits");
    QTest::newRow("empty") << TBrowseInfoFlagSet{} << 0u << 0;
    QTest::newRow("default") << TBrowseInfoFlagSet{F::ShowPath} << 0x0004u << 0x20;
    QTest::newRow("main window's")
        << TBrowseInfoFlagSet{F::OnlyFileSystem, F::ShowPath} << 0x0005u << 0x30;
    QTest::newRow("computers") << TBrowseInfoFlagSet{F::OnlyComputers} << 0x1000u << 0x01;
    QTest::newRow("domains and ancestors")
        << TBrowseInfoFlagSet{F::OnlyDomains, F::OnlyAncestors} << 0x000Au << 0x0C;
    QTest::newRow("all") << TBrowseInfoFlagSet{F::OnlyComputers, F::OnlyPrinters,   F::OnlyDomains,
                                               F::OnlyAncestors, F::OnlyFileSystem, F::ShowPath}
                         << 0x300Fu << 0x3F;
}

void TestHelpers::convertsFlagSetsToBrowserFlags()
{
    QFETCH(TBrowseInfoFlagSet, flags);
    QFETCH(unsigned, shellFlags);
    QFETCH(int, bits);
    QCOMPARE(ShellFlags(flags), shellFlags);
    QCOMPARE(int(flags.Bits()), bits);
}

void TestHelpers::findsSpecialFoldersOfThisDesktop_data()
{
    QTest::addColumn<int>("folder");
    QTest::addColumn<QString>("location"); // below the home folder; empty: none
    QTest::newRow("desktop") << int(foDesktop) << "/Desktop";
    QTest::newRow("templates from user-dirs.dirs") << int(foTemplates) << "/Vorlagen";
    QTest::newRow("documents, missing") << int(foPersonal) << "";
    QTest::newRow("network, none here") << int(foNetwork) << "";
    QTest::newRow("computer") << int(foMyComputer) << "<root>";
}

void TestHelpers::findsSpecialFoldersOfThisDesktop()
{
    QFETCH(int, folder);
    QFETCH(QString, location);
    QTemporaryDir Home;
    QVERIFY(Home.isValid());
    QVERIFY(QDir().mkpath(Home.path() + "/.config"));
    QVERIFY(QDir().mkpath(Home.path() + "/Desktop"));
    QVERIFY(QDir().mkpath(Home.path() + "/Vorlagen"));
    QFile Dirs(Home.path() + "/.config/user-dirs.dirs");
    QVERIFY(Dirs.open(QIODevice::WriteOnly));
    Dirs.write("# written by xdg-user-dirs-update\nXDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    Dirs.close();

    const QByteArray OldHome = qgetenv("HOME");
    const QByteArray OldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", Home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (Home.path() + "/.config").toLocal8Bit());
    const std::optional<QString> Found = SpecialFolderLocation(TSHFolders(folder));
    qputenv("HOME", OldHome);
    if (OldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", OldConfig);

    if (location.isEmpty())
        QVERIFY(!Found);
    else
        QCOMPARE(Found.value_or("<none>"), location == "<root>" ? "/" : Home.path() + location);
}

namespace {

// The rows that Model shows below Parent, as "path" lines, depth first.
QStringList VisiblePaths(const QAbstractItemModel &Model, const QModelIndex &Parent = {})
{
    QStringList Paths;
    for (int Row = 0; Row < Model.rowCount(Parent); ++Row) {
        const QModelIndex Index = Model.index(Row, 0, Parent);
        Paths << Index.data(QFileSystemModel::FilePathRole).toString()
              << VisiblePaths(Model, Index);
    }
    return Paths;
}

} // namespace

void TestHelpers::narrowsTreeToTopFolder_data()
{
    QTest::addColumn<QString>("top");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("whole file system") << "/"
                                       << QStringList{"/",
                                                      "/home",
                                                      "/home/anna",
                                                      "/home/anna/Desktop",
                                                      "/home/anna/Desktop/Unter",
                                                      "/home/anna/Desktop2",
                                                      "/home/anna/Daneben",
                                                      "/tmp"};
    QTest::newRow("desktop with ancestors, not its namesake")
        << "/home/anna/Desktop"
        << QStringList{"/", "/home", "/home/anna", "/home/anna/Desktop",
                       "/home/anna/Desktop/Unter"};
}

void TestHelpers::narrowsTreeToTopFolder()
{
    QFETCH(QString, top);
    QFETCH(QStringList, visible);
    QStandardItemModel Source;
    const auto Add = [](QStandardItem *Parent, const QString &Path) {
        auto *Item = new QStandardItem(Path);
        Item->setData(Path, QFileSystemModel::FilePathRole);
        Parent->appendRow(Item);
        return Item;
    };
    QStandardItem *Root = Add(Source.invisibleRootItem(), "/");
    QStandardItem *Anna = Add(Add(Root, "/home"), "/home/anna");
    Add(Add(Anna, "/home/anna/Desktop"), "/home/anna/Desktop/Unter");
    Add(Anna, "/home/anna/Desktop2");
    Add(Anna, "/home/anna/Daneben");
    Add(Root, "/tmp");

    TFolderTreeFilter Filter(top);
    Filter.setSourceModel(&Source);
    QCOMPARE(VisiblePaths(Filter), visible);
}

QTEST_GUILESS_MAIN(TestHelpers)
#include "HelpersTest.moc"
