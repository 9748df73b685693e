#pragma once

#include <QMessageBox>
#include <QString>

namespace trovel {

class TModalSeam;

// The executable's file name without its folder, cut at its first ".", every
// character after the first in lower case: "/opt/TROVEL.EXE" gives "Trovel".
QString ApplicationTitleFor(const QString &ExecutablePath);
// The title of this program's message boxes; the main window keeps its own caption.
QString ApplicationTitle();

// A message that does not end in ".", "!", ")" or another character whose code
// is at most that of "." gets a closing period; an empty one stays empty.
QString WithClosingPeriod(QString Message);

// A message box whose Ctrl+C copies its title, text and buttons to the
// clipboard, framed by dashed lines, and beeps.
class TMessageBox final : public QMessageBox
{
    Q_OBJECT

public:
    TMessageBox(QMessageBox::Icon Icon, const QString &Title, const QString &Text);
    Q_DISABLE_COPY_MOVE(TMessageBox)

    QString ClipboardText() const;

protected:
    void keyPressEvent(QKeyEvent *Event) override;
};

// The message box of the program's own checks and notices: application title,
// no icon, one OK button that Enter and Esc both press.
void ShowPlainMessage(TModalSeam &Seam, const QString &Text);
// The error display: the message with its closing period, the error icon, the
// application title and one OK button.
void ShowErrorMessage(TModalSeam &Seam, const QString &Message);

} // namespace trovel
