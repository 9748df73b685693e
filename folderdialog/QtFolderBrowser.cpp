#include "QtFolderBrowser.h"

#include "FolderBrowserDialog.h"

#include <QInputDialog>
#include <QMessageBox>

namespace trovel {

std::optional<TBrowseItem> TQtFolderBrowser::BrowseForFolder(const TBrowseInfo &Info)
{
    TFolderBrowserDialog dialog(Info);
    return dialog.Run();
}

QString TQtFolderBrowser::InputBox(QWidget *Parent, const QString &Caption, const QString &Prompt,
                                   const QString &Default)
{
    QInputDialog box(Parent);
    box.setObjectName(QStringLiteral("folderNameInput"));
    box.setWindowTitle(Caption);
    box.setLabelText(Prompt);
    box.setTextValue(Default);
    return box.exec() == QDialog::Accepted ? box.textValue() : Default;
}

void TQtFolderBrowser::ShowWarning(QWidget *Parent, const QString &Caption, const QString &Text)
{
    QMessageBox box(QMessageBox::Warning, Caption, Text, QMessageBox::Ok, Parent);
    box.setObjectName(QStringLiteral("folderBrowserWarning"));
    box.exec();
}

} // namespace trovel
