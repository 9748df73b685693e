#include "FakeHome.h"
#include "FolderPlacesModel.h"
#include "LanguageKey.h"
#include "NewFolderButtonLayout.h"
#include "ShellFolders.h"
#include "ShortenPath.h"
#include "VeskaFolderDialog.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QtTest>

using namespace trovel;
using trovel::testing::TFakeHome;

Q_DECLARE_METATYPE(trovel::TBrowseInfoFlagSet)

class TestHelpers final : public QObject
{
    Q_OBJECT

private slots:
    void shortensPathsForTheStatusLine_data();
    void shortensPathsForTheStatusLine();
    void writesHomeAsTilde_data();
    void writesHomeAsTilde();
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
    void startsPlacesAtHome_data();
    void startsPlacesAtHome();
    void findsMountedMedia_data();
    void findsMountedMedia();
    void listsFoldersBelowPlaces();
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
    QTest::newRow("tilde kept as head")
        << "~/Spiele/Ein sehr langer Ordnername/Unterordner/Texturen/Gelaende" << Slash << 50
        << "~/.../Unterordner/Texturen/Gelaende";
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

void TestHelpers::writesHomeAsTilde_data()
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

void TestHelpers::writesHomeAsTilde()
{
    QFETCH(QString, path);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    QCOMPARE(WithHomeAsTilde(path, home), expected);
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
    TFakeHome Home;
    QVERIFY(Home.IsValid());
    Home.Folder("Desktop");
    Home.Folder("Vorlagen");
    QFile Dirs(Home.Path() + "/.config/user-dirs.dirs");
    QVERIFY(Dirs.open(QIODevice::WriteOnly));
    Dirs.write("# written by xdg-user-dirs-update\nXDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    Dirs.close();

    const std::optional<QString> Found = SpecialFolderLocation(TSHFolders(folder));
    if (location.isEmpty())
        QVERIFY(!Found);
    else
        QCOMPARE(Found.value_or("<none>"), location == "<root>" ? "/" : Home.Path() + location);
}

void TestHelpers::startsPlacesAtHome_data()
{
    QTest::addColumn<bool>("desktop");
    QTest::newRow("with a desktop folder") << true;
    QTest::newRow("without one") << false;
}

void TestHelpers::startsPlacesAtHome()
{
    QFETCH(bool, desktop);
    TFakeHome Home;
    QVERIFY(Home.IsValid());
    if (desktop)
        Home.Folder("Desktop");
    QList<TFolderPlace> Expected{
        {Home.Path(), QFileInfo(Home.Path()).fileName(), TPlaceKind::Home},
        {"/", "/", TPlaceKind::FileSystem},
    };
    if (desktop)
        Expected.append({Home.Path() + "/Desktop", "Desktop", TPlaceKind::Desktop});

    const QList<TFolderPlace> Places = DesktopPlaces();
    QCOMPARE(Places.mid(0, Expected.size()), Expected);
    // The mounted media of this machine follow.
    for (const TFolderPlace &Place : Places.mid(Expected.size()))
        QCOMPARE(Place.Kind, TPlaceKind::Media);
}

void TestHelpers::findsMountedMedia_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<bool>("medium");
    QTest::newRow("stick below /media") << "/media/anna/STICK" << QByteArray("/dev/sdb1") << true;
    QTest::newRow("stick below /run/media")
        << "/run/media/anna/STICK" << QByteArray("/dev/sdc1") << true;
    QTest::newRow("disk at /mnt") << "/mnt" << QByteArray("/dev/sda3") << true;
    QTest::newRow("disk below /mnt") << "/mnt/backup" << QByteArray("/dev/sdb2") << true;
    QTest::newRow("tmpfs below /mnt") << "/mnt/scratch" << QByteArray("tmpfs") << false;
    QTest::newRow("namesake of /mnt") << "/mntx" << QByteArray("/dev/sdb1") << false;
    QTest::newRow("system disk") << "/" << QByteArray("/dev/vda") << false;
}

void TestHelpers::findsMountedMedia()
{
    QFETCH(QString, root);
    QFETCH(QByteArray, device);
    QFETCH(bool, medium);
    QCOMPARE(IsMediaMount(root, device), medium);
}

namespace {

QStringList Names(const QAbstractItemModel &Model, const QModelIndex &Parent = {})
{
    QStringList Result;
    for (int Row = 0; Row < Model.rowCount(Parent); ++Row)
        Result << Model.index(Row, 0, Parent).data().toString();
    return Result;
}

} // namespace

void TestHelpers::listsFoldersBelowPlaces()
{
    QTemporaryDir Temp;
    QVERIFY(Temp.isValid());
    const QString Top = Temp.path();
    for (const char *Folder : {"b", "A/Unter", "Folder 10", "Folder 2", ".versteckt/innen"})
        QVERIFY(QDir().mkpath(Top + '/' + Folder));
    QFile File(Top + "/Datei");
    QVERIFY(File.open(QIODevice::WriteOnly));
    File.close();

    TFolderPlacesModel Model({{Top, "Oben", TPlaceKind::Home}, FolderPlace(Top + "/A")});
    QCOMPARE(Names(Model), (QStringList{"Oben", "A"}));
    const QModelIndex TopItem = Model.index(0, 0);
    QVERIFY(Model.hasChildren(TopItem));
    QCOMPARE(Model.rowCount(TopItem), 0);

    // A folder is found below the deepest place that holds it, and a hidden
    // one is added where it sorts.
    QCOMPARE(Model.IndexOf(Top + "/A/Unter").parent(), Model.index(1, 0));
    const QModelIndex Hidden = Model.IndexOf(Top + "/.versteckt/innen/");
    QCOMPARE(Model.PathOf(Hidden), Top + "/.versteckt/innen");
    QCOMPARE(Hidden.parent().parent(), TopItem);
    QCOMPARE(Names(Model, TopItem), (QStringList{".versteckt", "A", "b", "Folder 2", "Folder 10"}));
    QCOMPARE(Model.PathOf(Model.IndexOf(Top)), Top);
    QVERIFY(!Model.IndexOf(Top + "/fehlt").isValid());
    QVERIFY(!Model.IndexOf(Top + "/Datei").isValid());
    QVERIFY(!Model.IndexOf("/").isValid());

    // Walks the whole tree, listing every folder. (Made last: its walk after
    // each insertion would list the new folder inside that insertion.)
    QAbstractItemModelTester Tester(&Model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(Names(Model, Model.index(1, 0)), QStringList{"Unter"});
}

QTEST_MAIN(TestHelpers)
#include "HelpersTest.moc"
