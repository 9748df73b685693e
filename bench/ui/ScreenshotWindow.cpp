// Takes the README's pictures of the window: starts the main window on the
// display it is given (an X server, e.g. under xvfb-run), opens ARCHIVE through
// File > Open with the real open dialog typed into and confirmed, selects
// FOLDER (a top-level folder of the archive; optional) and saves what the
// screen shows of the window as OUTPUT. With --progress it then runs
// Extract > All files into a temporary folder and takes the picture while the
// progress panel shows the middle entry; the run is then cancelled.
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

#include <chrono>
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

// Extract > All files into Target; the picture is taken while the panel shows
// the middle entry, and the run is cancelled from there.
bool PictureOfRun(TWindowDriver &Driver, const QString &Target, const QString &Output)
{
    using namespace std::chrono_literals;
    TfrmMain &window = Driver.Window();
    bool saved = false, taken = false;
    // Every entry is reported, so the middle one is met however fast the run.
    window.SetPendingEventsInterval(0ms);
    const QMetaObject::Connection picture =
        QObject::connect(&window, &TfrmMain::ExtractProgressShown, &window, [&](int Position) {
            if (taken || Position < (Driver.Bar()->maximum() + 1) / 2)
                return;
            taken = true;
            window.repaint();
            saved = SaveWindowPicture(window, Output);
            QMetaObject::invokeMethod(Driver.CancelButton(), &QPushButton::click,
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
