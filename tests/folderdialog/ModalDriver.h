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
            0, [this, Accept = std::move(Accept), Action = std::move(Action), Tries]() mutable {
                QWidget *Modal = QApplication::activeModalWidget();
                if (Modal && Modal->isVisible() && Accept(*Modal)) {
                    Action(*Modal);
                } else if (Tries == 0) {
                    Failures.append(QStringLiteral("awaited dialog did not open; open: ") +
                                    (Modal ? Modal->objectName() : QStringLiteral("none")));
                    if (auto *Dialog = qobject_cast<QDialog *>(Modal))
                        Dialog->reject();
                } else {
                    When(std::move(Accept), std::move(Action), Tries - 1);
                }
            });
    }

    // Waits for the modal widget with that object name.
    void When(const QString &ObjectName, TAction Action)
    {
        When([ObjectName](QWidget &Modal) { return Modal.objectName() == ObjectName; },
             std::move(Action));
    }

    QStringList Failures;
};

} // namespace trovel::testing
