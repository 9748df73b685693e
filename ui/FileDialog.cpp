#include "FileDialog.h"

#include "ModalSeam.h"

#include <QFileDialog>

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
    if (!FFileName.isEmpty())
        dialog.selectFile(FFileName);

    if (FSeam.Exec(dialog) != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    FFileName = chosen.first();
    return true;
}

} // namespace trovel
