// The special folders of this desktop.
#include "ShellFolders.h"
#include "FakeHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

using namespace trovel;
using trovel::testing::TFakeHome;

class TShellFoldersTest final : public QObject
{
    Q_OBJECT

private slots:
    void findsSpecialFoldersOfThisDesktop_data();
    void findsSpecialFoldersOfThisDesktop();
};

void TShellFoldersTest::findsSpecialFoldersOfThisDesktop_data()
{
    QTest::addColumn<int>("folder");
    QTest::addColumn<QString>("location"); // below the home folder; empty: none
    QTest::newRow("desktop") << int(foDesktop) << "/Desktop";
    QTest::newRow("templates from user-dirs.dirs") << int(foTemplates) << "/Vorlagen";
    QTest::newRow("documents, missing") << int(foPersonal) << "";
    QTest::newRow("network, none here") << int(foNetwork) << "";
    QTest::newRow("computer") << int(foMyComputer) << "<root>";
}

void TShellFoldersTest::findsSpecialFoldersOfThisDesktop()
{
    QFETCH(int, folder);
    QFETCH(QString, location);
#ifdef Q_OS_WIN
    // The user's known folders; the computer and the network are no folder.
    Q_UNUSED(location);
    const std::optional<QString> found = SpecialFolderLocation(TSHFolders(folder));
    if (folder == foNetwork || folder == foMyComputer)
        QVERIFY(!found);
    else if (found)
        QVERIFY(QFileInfo(*found).isDir());
    if (folder == foDesktop)
        QCOMPARE(found.value_or("<none>"), QDir::cleanPath(QStandardPaths::writableLocation(
                                               QStandardPaths::DesktopLocation)));
#else
    TFakeHome home;
    QVERIFY(home.IsValid());
    home.Folder("Desktop");
    home.Folder("Vorlagen");
    QFile dirs(home.Path() + "/.config/user-dirs.dirs");
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("# written by xdg-user-dirs-update\nXDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    dirs.close();

    const std::optional<QString> found = SpecialFolderLocation(TSHFolders(folder));
    if (location.isEmpty())
        QVERIFY(!found);
    else
        QCOMPARE(found.value_or("<none>"), location == "<root>" ? "/" : home.Path() + location);
#endif
}

QTEST_MAIN(TShellFoldersTest)
#include "ShellFoldersTest.moc"