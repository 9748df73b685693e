#include "FileDialog.h"

#include "MessageBoxes.h"
#include "ModalSeam.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace trovel {

QStringList NameFiltersFromFilter(const QString &Filter)
{
    QStringList filters;
    const QStringList parts = Filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        const QString listed = u'(' + patterns + u')';
        filters.append(description.endsWith(listed) ? description : description + u' ' + listed);
    }
    return filters;
}

bool TFileDialog::Execute(QWidget *Parent)
{
    QFileDialog dialog(Parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !FSeam.NativeDialogs());
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(FKind == TKind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Qt's save dialog asks before replacing a file unless told otherwise.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QStringList filters = NameFiltersFromFilter(FFilter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!FFileName.isEmpty()) {
        if (QFileInfo(FFileName).isRelative() && !FDirectory.isEmpty())
            dialog.setDirectory(FDirectory);
        dialog.selectFile(FFileName);
    }

    // Qt's own save dialog takes a name in any folder, and a native dialog
    // cannot be kept open from here, so the folder is checked once the dialog
    // has been confirmed, and the dialog runs again as the user left it.
    for (;;) {
        if (FSeam.Exec(dialog) != QDialog::Accepted)
            return false;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty())
            return false;
        const QString &name = chosen.first();
        if (FKind == TKind::Save && RefusedForMissingFolder(name))
            continue;
        FFileName = name;
        return true;
    }
}

void TFileDialog::RememberFolder()
{
    FDirectory = QFileInfo(FFileName).absolutePath();
}

bool TFileDialog::RefusedForMissingFolder(const QString &FileName)
{
    const QString folder = QFileInfo(FileName).absolutePath();
    if (QFileInfo(folder).isDir())
        return false;
    TMessageBox box(QMessageBox::Warning, ApplicationTitle(), MissingFolderText(folder));
    FSeam.Exec(box);
    return true;
}

void KeepNoSettings()
{
    // QSettings writes a user's settings file only where it can make it, and
    // no folder can be made below a device file: the dialog's settings stay
    // in memory, unwritten and unread.
    const QString nowhere = QStringLiteral("/dev/null");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, nowhere);
}

QString MissingFolderText(const QString &Folder)
{
    return QStringLiteral("The folder %1 does not exist.\nCheck the name and try again.")
        .arg(QDir::toNativeSeparators(Folder));
}

} // namespace trovel
