// Takes the README's picture of the window: starts the main window on the
// display it is given (an X server, e.g. under xvfb-run), opens ARCHIVE through
// File > Open with the real open dialog typed into and confirmed, selects
// FOLDER (a top-level folder of the archive; optional) and saves what the
// screen shows of the window as OUTPUT.
// Usage: screenshot-window ARCHIVE OUTPUT [FOLDER]
#include "Main.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

using trovel::TfrmMain;

namespace {

// Types the path into the open dialog and presses Open, as a person would,
// once the dialog is up.
void answerOpenDialog(const QString &Path)
{
    QTimer::singleShot(50, [Path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            answerOpenDialog(Path);
            return;
        }
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(Path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: screenshot-window ARCHIVE OUTPUT [FOLDER]\n");
        return 2;
    }
    const QString archive = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString folder = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    TfrmMain frmMain;
    QApplication::setWindowIcon(frmMain.windowIcon());
    frmMain.ModalSeam().SetNativeDialogs(false);
    frmMain.show();

    int result = 1;
    QTimer::singleShot(300, [&] {
        // File > Open: the menu is opened and its item chosen.
        auto *file = frmMain.findChild<QMenu *>("Datei1");
        frmMain.menuBar()->setActiveAction(file->menuAction());
        file->setActiveAction(frmMain.findChild<QAction *>("ffnen1"));
        answerOpenDialog(archive);
        file->activeAction()->trigger();
        file->hide();

        // Without a window manager nobody gives the window back the input
        // focus when the dialog has gone.
        frmMain.activateWindow();
        auto *tree = frmMain.findChild<QTreeView *>("tvDirectories");
        tree->setFocus();
        if (!folder.isEmpty()) {
            const QAbstractItemModel *model = tree->model();
            const QModelIndex found = model
                                          ->match(model->index(0, 0, model->index(0, 0)),
                                                  Qt::DisplayRole, folder, 1, Qt::MatchExactly)
                                          .value(0);
            if (found.isValid())
                tree->setCurrentIndex(found);
        }
        // Let the window draw itself on the screen before it is photographed.
        QTimer::singleShot(700, [&, tree] {
            const QRect frame = frmMain.frameGeometry();
            const QPixmap shot = frmMain.screen()->grabWindow(0, frame.x(), frame.y(),
                                                              frame.width(), frame.height());
            result = shot.save(output) ? 0 : 1;
            if (result != 0)
                std::fprintf(stderr, "screenshot-window: cannot write %s\n", qPrintable(output));
            frmMain.close();
        });
    });
    application.exec();
    return result;
}
