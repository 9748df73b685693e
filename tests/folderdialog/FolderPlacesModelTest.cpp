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
    QStringList result;
    for (int row = 0; row < Model.rowCount(Parent); ++row)
        result << Model.index(row, 0, Parent).data().toString();
    return result;
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
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString top = temp.path();
    for (const char *folder : {"b", "A/Unter", "Folder 10", "Folder 2", ".versteckt/innen"})
        QVERIFY(QDir().mkpath(top + '/' + folder));
    QFile file(top + "/Datei");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    TFolderPlacesModel model({{top, "Oben", TPlaceKind::Home}, FolderPlace(top + "/A")});
    QCOMPARE(Names(model), (QStringList{"Oben", "A"}));
    const QModelIndex topItem = model.index(0, 0);
    QVERIFY(model.hasChildren(topItem));
    QCOMPARE(model.rowCount(topItem), 0);

    // A folder is found below the deepest place that holds it, and a hidden
    // one is added where it sorts.
    QCOMPARE(model.IndexOf(top + "/A/Unter").parent(), model.index(1, 0));
    const QModelIndex hidden = model.IndexOf(top + "/.versteckt/innen/");
    QCOMPARE(model.PathOf(hidden), top + "/.versteckt/innen");
    QCOMPARE(hidden.parent().parent(), topItem);
    QCOMPARE(Names(model, topItem), (QStringList{".versteckt", "A", "b", "Folder 2", "Folder 10"}));
    QCOMPARE(model.PathOf(model.IndexOf(top)), top);
    QVERIFY(!model.IndexOf(top + "/fehlt").isValid());
    QVERIFY(!model.IndexOf(top + "/Datei").isValid());
    QVERIFY(!model.IndexOf("/").isValid());

    // Walks the whole tree, listing every folder. (Made last: its walk after
    // each insertion would list the new folder inside that insertion.)
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(Names(model, model.index(1, 0)), QStringList{"Unter"});
}

QTEST_MAIN(TFolderPlacesModelTest)
#include "FolderPlacesModelTest.moc"