#include "MessageBoxes.h"

#include "ModalSeam.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>

namespace trovel {

QString ApplicationTitleFor(const QString &ExecutablePath)
{
    QString name = QFileInfo(ExecutablePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString ApplicationTitle()
{
    return ApplicationTitleFor(QCoreApplication::applicationFilePath());
}

QString WithClosingPeriod(QString Message)
{
    if (!Message.isEmpty() && Message.back().unicode() > u'.')
        Message += u'.';
    return Message;
}

TMessageBox::TMessageBox(QMessageBox::Icon Icon, const QString &Title, const QString &Text)
    : QMessageBox(Icon, Title, Text, QMessageBox::Ok)
{
    setTextFormat(Qt::PlainText);
    setWindowModality(Qt::ApplicationModal);
    setDefaultButton(QMessageBox::Ok);
    setEscapeButton(QMessageBox::Ok);
}

QString TMessageBox::ClipboardText() const
{
    const QString rule = QStringLiteral("---------------------------\n");
    QString buttons;
    for (const QAbstractButton *button : this->buttons())
        buttons += button->text().remove(u'&') + QStringLiteral("   ");
    return rule + windowTitle() + u'\n' + rule + text() + u'\n' + rule + buttons + u'\n' + rule;
}

void TMessageBox::keyPressEvent(QKeyEvent *Event)
{
    if (Event == QKeySequence::Copy) {
        QApplication::beep();
        QGuiApplication::clipboard()->setText(ClipboardText());
        return;
    }
    QMessageBox::keyPressEvent(Event);
}

void ShowPlainMessage(TModalSeam &Seam, const QString &Text)
{
    TMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), Text);
    Seam.Exec(box);
}

void ShowErrorMessage(TModalSeam &Seam, const QString &Message)
{
    TMessageBox box(QMessageBox::Critical, ApplicationTitle(), WithClosingPeriod(Message));
    Seam.Exec(box);
}

} // namespace trovel
