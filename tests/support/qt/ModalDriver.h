#pragma once

// Answering the folder chooser (TVeskaFolderDialog) from a test, without a
// person:
// - Scripted: SetBrowser() with a TFolderBrowser of the test's own (see
//   FolderBrowser.h). It receives every TBrowseInfo, calls Info.Callback with
//   Initialized and SelectionChanged, answers the input box and records the
//   warnings; it needs no event loop.
// - Real dialog: before Execute(), post a QTimer::singleShot(0, ...) that takes
//   QApplication::activeModalWidget() (object name "folderBrowser"; post
//   itself again while that is not showing yet). Select a folder with
//   qobject_cast<TBrowserWindow *>(Widget)->SetSelection(Path), then click
//   the QPushButton "okButton" or "cancelButton". The QPushButton
//   "newFolderButton" opens the QInputDialog "folderNameInput" (answer it
//   with setTextValue() and accept() from the next posted timer); a folder that
//   cannot be made shows the QMessageBox "folderBrowserWarning"; then the
//   browser closes and opens again (OnInitialized runs once per opening).

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace trovel::testing {

// Answers modal dialogs from the event loop: Action runs on the active modal
// widget as soon as Accept says it is the one awaited. The check is posted
// again on every turn of the event loop until then; after Tries turns the
// wait is given up, recorded in Failures, and the dialog that is open instead
// is cancelled so that the test does not hang.
class TModalDriver final
{
public:
    using TAccept = std::function<bool(QWidget &Modal)>;
    using TAction = std::function<void(QWidget &Modal)>;

    void When(TAccept Accept, TAction Action, int Tries = 10000)
    {
        QTimer::singleShot(
            0, [this, accept = std::move(Accept), action = std::move(Action), Tries]() mutable {
                QWidget *modal = QApplication::activeModalWidget();
                if (modal && modal->isVisible() && accept(*modal)) {
                    action(*modal);
                } else if (Tries == 0) {
                    Failures.append(QStringLiteral("awaited dialog did not open; open: ") +
                                    (modal ? modal->objectName() : QStringLiteral("none")));
                    if (auto *dialog = qobject_cast<QDialog *>(modal))
                        dialog->reject();
                } else {
                    When(std::move(accept), std::move(action), Tries - 1);
                }
            });
    }

    QStringList Failures;
};

// The box of a Qt file dialog (not the desktop's native one) where a person
// types the file name.
inline QLineEdit &FileNameBox(QWidget &FileDialog)
{
    return *FileDialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

} // namespace trovel::testing
