// Takes the README's pictures of the window: starts the main window on the
// display it is given (an X server, e.g. under xvfb-run), opens ARCHIVE through
// File > Open with the real open dialog typed into and confirmed, selects
// FOLDER (a top-level folder of the archive; optional) and saves what the
// screen shows of the window as OUTPUT. With --progress it then runs
// Extract > All files into a temporary folder and takes the picture when the
// progress panel first shows an entry; the run is then cancelled.
// Usage: screenshot-window [--progress] ARCHIVE OUTPUT [FOLDER]
#include "Main.h"
#include "VeskaFolderDialog.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

using trovel::TfrmMain;
using trovel::TVeskaFolderDialog;

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

// What the screen shows of the window, saved as Output.
bool saveWindowPicture(TfrmMain &Window, const QString &Output)
{
    const QRect frame = Window.frameGeometry();
    const QPixmap shot =
        Window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (shot.save(Output))
        return true;
    std::fprintf(stderr, "screenshot-window: cannot write %s\n", qPrintable(Output));
    return false;
}

// Extract > All files into Target; the picture is taken when the panel first
// shows an entry, and the run is cancelled from there.
bool pictureOfRun(TfrmMain &Window, const QString &Target, const QString &Output)
{
    auto *bar = Window.findChild<QProgressBar *>("pbProgress");
    auto *cancel = Window.findChild<QPushButton *>("btCancel");
    bool saved = false, taken = false;
    // The bar moves when the panel is brought up to date, right before the
    // run lets events run; the panel just shown is laid out by then, and the
    // click is handled in the same turn.
    const QMetaObject::Connection picture =
        QObject::connect(bar, &QProgressBar::valueChanged, &Window, [&](int Position) {
            if (taken || Position < 1)
                return;
            taken = true;
            QMetaObject::invokeMethod(
                &Window,
                [&] {
                    Window.repaint();
                    saved = saveWindowPicture(Window, Output);
                    cancel->click();
                },
                Qt::QueuedConnection);
        });
    Window.ModalSeam().AnswerNext([&Target](QObject &Dialog) {
        qobject_cast<TVeskaFolderDialog *>(&Dialog)->SetFolder(Target);
        return 1;
    });
    Window.findChild<QAction *>("Allfiles1")->trigger();
    QObject::disconnect(picture);
    if (!taken)
        std::fprintf(stderr, "screenshot-window: the run reported no entries\n");
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    const bool progress = !args.isEmpty() && args.first() == u"--progress";
    if (progress)
        args.removeFirst();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: screenshot-window [--progress] ARCHIVE OUTPUT [FOLDER]\n");
        return 2;
    }
    const QString archive = args[0];
    const QString output = args[1];
    const QString folder = args.value(2);
    QTemporaryDir target;

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
        QTimer::singleShot(700, [&] {
            const bool saved = progress ? pictureOfRun(frmMain, target.path(), output)
                                        : saveWindowPicture(frmMain, output);
            result = saved ? 0 : 1;
            frmMain.close();
        });
    });
    application.exec();
    return result;
}
