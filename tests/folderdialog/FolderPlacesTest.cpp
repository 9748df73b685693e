// The places the browser starts from, and which mounts are media.
#include "FolderPlaces.h"
#include "FakeHome.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace trovel;
using trovel::testing::TFakeHome;

class TFolderPlacesTest final : public QObject
{
    Q_OBJECT

private slots:
    void startsPlacesAtHome_data();
    void startsPlacesAtHome();
    void findsMountedMedia_data();
    void findsMountedMedia();
};

void TFolderPlacesTest::startsPlacesAtHome_data()
{
    QTest::addColumn<bool>("desktop");
    QTest::newRow("with a desktop folder") << true;
    QTest::newRow("without one") << false;
}

#ifdef Q_OS_WIN
// Home, Desktop and Documents, then the drives that are ready, named as
// Explorer names them.
void TFolderPlacesTest::startsPlacesAtHome()
{
    const QList<TFolderPlace> places = DesktopPlaces();
    QVERIFY(!places.isEmpty());
    QCOMPARE(places[0].Path, QDir::cleanPath(QDir::homePath()));
    QCOMPARE(places[0].Kind, TPlaceKind::Home);
    const QString system = QDir::cleanPath(qEnvironmentVariable("SystemDrive") + u'/');
    bool systemDrive = false;
    for (const TFolderPlace &place : places.mid(1)) {
        if (place.Kind == TPlaceKind::Desktop || place.Kind == TPlaceKind::Folder) {
            QVERIFY2(QFileInfo(place.Path).isDir(), qPrintable(place.Path));
            continue;
        }
        QVERIFY2(place.Path.size() == 3 && place.Path.endsWith(u":/"), qPrintable(place.Path));
        QVERIFY2(place.Name.endsWith(place.Path.left(2)) ||
                     place.Name.endsWith(place.Path.left(2) + u')'),
                 qPrintable(place.Name));
        systemDrive = systemDrive || place.Path.compare(system, Qt::CaseInsensitive) == 0;
    }
    QVERIFY2(systemDrive, qPrintable(system));
}
#else
void TFolderPlacesTest::startsPlacesAtHome()
{
    QFETCH(bool, desktop);
    TFakeHome home;
    QVERIFY(home.IsValid());
    if (desktop)
        home.Folder("Desktop");
    QList<TFolderPlace> expected{
        {home.Path(), QFileInfo(home.Path()).fileName(), TPlaceKind::Home},
        {"/", "/", TPlaceKind::FileSystem},
    };
    if (desktop)
        expected.append({home.Path() + "/Desktop", "Desktop", TPlaceKind::Desktop});

    const QList<TFolderPlace> places = DesktopPlaces();
    QCOMPARE(places.mid(0, expected.size()), expected);
    // The mounted media of this machine follow.
    for (const TFolderPlace &place : places.mid(expected.size()))
        QCOMPARE(place.Kind, TPlaceKind::Media);
}
#endif

void TFolderPlacesTest::findsMountedMedia_data()
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

void TFolderPlacesTest::findsMountedMedia()
{
    QFETCH(QString, root);
    QFETCH(QByteArray, device);
    QFETCH(bool, medium);
    QCOMPARE(IsMediaMount(root, device), medium);
}

QTEST_MAIN(TFolderPlacesTest)
#include "FolderPlacesTest.moc"