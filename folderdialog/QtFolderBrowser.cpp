#include "QtFolderBrowser.h"

#include "FolderBrowserDialog.h"

#include <QInputDialog>
#include <QMessageBox>

namespace trovel {

std::optional<TBrowseItem> TQtFolderBrowser::BrowseForFolder(const TBrowseInfo &Info)
{
    TFolderBrowserDialog Dialog(Info);
    return Dialog.Run();
}

QString TQtFolderBrowser::InputBox(QWidget *Parent, const QString &Caption, const QString &Prompt,
                                   const QString &Default)
{
    QInputDialog Box(Parent);
    Box.setObjectName(QStringLiteral("folderNameInput"));
    Box.setWindowTitle(Caption);
    Box.setLabelText(Prompt);
    Box.setTextValue(Default);
    return Box.exec() == QDialog::Accepted ? Box.textValue() : Default;
}

void TQtFolderBrowser::ShowWarning(QWidget *Parent, const QString &Caption, const QString &Text)
{
    QMessageBox Box(QMessageBox::Warning, Caption, Text, QMessageBox::Ok, Parent);
    Box.setObjectName(QStringLiteral("folderBrowserWarning"));
    Box.exec();
}

} // namespace trovel
