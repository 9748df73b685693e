// The tree of places and the folders below them.
#include "FolderPlacesModel.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace trovel;

namespace {

QStringList Names(const QAbstractItemModel &Model, const QModelIndex &Parent = {})
{
    QStringList Result;
    for (int Row = 0; Row < Model.rowCount(Parent); ++Row)
        Result << Model.index(Row, 0, Parent).data().toString();
    return Result;
}

} // namespace

class TFolderPlacesModelTest final : public QObject
{
    Q_OBJECT

private slots:
    void listsFoldersBelowPlaces();
};

void TFolderPlacesModelTest::listsFoldersBelowPlaces()
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

QTEST_MAIN(TFolderPlacesModelTest)
#include "FolderPlacesModelTest.moc"