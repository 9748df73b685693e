// The special folders of this desktop.
#include "ShellFolders.h"
#include "FakeHome.h"

#include <QFile>
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

QTEST_MAIN(TShellFoldersTest)
#include "ShellFoldersTest.moc"