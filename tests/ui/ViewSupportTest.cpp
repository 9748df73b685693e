// The views' shared pieces: the tree's folder pictures at every pixel ratio.
#include "ViewSupport.h"

#include <QTest>

using namespace trovel;

class TViewSupportTest final : public QObject
{
    Q_OBJECT

private slots:
    void folderImagesAreSharpAtEveryPixelRatio_data();
    void folderImagesAreSharpAtEveryPixelRatio();
};

void TViewSupportTest::folderImagesAreSharpAtEveryPixelRatio_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("1x") << qreal(1);
    QTest::newRow("2x") << qreal(2);
    QTest::newRow("3x") << qreal(3);
}

void TViewSupportTest::folderImagesAreSharpAtEveryPixelRatio()
{
    // Each device pixel is one pixel of the 16-pixel picture, blown up
    // without blending: no colour appears that the picture does not have.
    QFETCH(qreal, ratio);
    const QList<QIcon> images = FolderImages();
    const QString names[] = {QStringLiteral(":/art/folder-open.png"),
                             QStringLiteral(":/art/folder-closed.png")};
    for (int i = 0; i < 2; ++i) {
        const int side = qRound(16 * ratio);
        const QImage original = QImage(names[i]).convertToFormat(QImage::Format_ARGB32);
        QImage expected =
            original.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        expected.setDevicePixelRatio(ratio);
        const QImage shown =
            images[i].pixmap(QSize(16, 16), ratio).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shown.size(), QSize(side, side));
        QCOMPARE(shown, expected);
    }
}

QTEST_MAIN(TViewSupportTest)
#include "ViewSupportTest.moc"
