#pragma once

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
