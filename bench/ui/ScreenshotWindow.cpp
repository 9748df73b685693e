// Takes the README's pictures of the window: starts the main window on the
// display it is given (an X server, e.g. under xvfb-run), opens ARCHIVE through
// File > Open with the real open dialog typed into and confirmed, selects
// FOLDER (a top-level folder of the archive; optional) and saves what the
// screen shows of the window as OUTPUT. With --progress it then runs
// Extract > All files into a temporary folder and takes the picture when the
// progress panel first shows an entry; the run is then cancelled.
// Usage: screenshot-window [--progress] ARCHIVE OUTPUT [FOLDER]
#include "Main.h"
#include "ModalDriver.h"
#include "WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
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
using trovel::testing::FileNameBox;
using trovel::testing::TModalDriver;
using trovel::testing::TWindowDriver;

namespace {

// What the screen shows of the window, saved as Output.
bool SaveWindowPicture(TfrmMain &Window, const QString &Output)
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
bool PictureOfRun(TWindowDriver &Driver, const QString &Target, const QString &Output)
{
    TfrmMain &window = Driver.Window();
    QPushButton *cancel = Driver.CancelButton();
    bool saved = false, taken = false;
    // The bar moves when the panel is brought up to date, right before the
    // run lets events run; the panel just shown is laid out by then, and the
    // click is handled in the same turn.
    const QMetaObject::Connection picture =
        QObject::connect(Driver.Bar(), &QProgressBar::valueChanged, &window, [&](int Position) {
            if (taken || Position < 1)
                return;
            taken = true;
            QMetaObject::invokeMethod(
                &window,
                [&] {
                    window.repaint();
                    saved = SaveWindowPicture(window, Output);
                    cancel->click();
                },
                Qt::QueuedConnection);
        });
    Driver.AnswerFolderChooser(Target);
    Driver.Action("Allfiles1")->trigger();
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

    // The open dialog is the real one, typed into; the folder chooser is
    // answered in advance.
    TWindowDriver driver;
    driver.Seam().AnswerOthers({});
    TfrmMain &window = driver.Window();
    QApplication::setWindowIcon(window.windowIcon());
    TModalDriver modal;

    int result = 1;
    QTimer::singleShot(300, [&] {
        // File > Open: the menu is opened and its item chosen; the path is
        // typed into the dialog and Open pressed, as a person would.
        auto *file = window.findChild<QMenu *>("Datei1");
        window.menuBar()->setActiveAction(file->menuAction());
        file->setActiveAction(driver.Action("ffnen1"));
        modal.When([](QWidget &Modal) { return qobject_cast<QFileDialog *>(&Modal) != nullptr; },
                   [&](QWidget &Dialog) {
                       FileNameBox(Dialog).setText(archive);
                       QMetaObject::invokeMethod(&Dialog, "accept", Qt::QueuedConnection);
                   });
        file->activeAction()->trigger();
        file->hide();

        // Without a window manager nobody gives the window back the input
        // focus when the dialog has gone.
        window.activateWindow();
        driver.Tree()->setFocus();
        if (!folder.isEmpty()) {
            const QModelIndex found = driver.FolderNode(folder);
            if (found.isValid())
                driver.Tree()->setCurrentIndex(found);
        }
        // Let the window draw itself on the screen before it is photographed.
        QTimer::singleShot(700, [&] {
            const bool saved = progress ? PictureOfRun(driver, target.path(), output)
                                        : SaveWindowPicture(window, output);
            result = saved && modal.Failures.isEmpty() ? 0 : 1;
            window.close();
        });
    });
    application.exec();
    return result;
}
