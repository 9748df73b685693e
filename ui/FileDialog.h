#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace trovel {

class TModalSeam;

// The open and save dialogs of the window. Like the desktop's own file dialog
// components they keep their file name between runs: after a confirmed run it
// holds the chosen full path, and the next run starts with it filled in.
class TFileDialog final
{
public:
    enum class TKind
    {
        Open, // the typed file need not exist
        Save, // the folder must exist; replacing a file is confirmed first
    };

    TFileDialog(TKind Kind, TModalSeam &Seam) : FKind(Kind), FSeam(Seam) {}

    const QString &FileName() const { return FFileName; }
    void SetFileName(const QString &FileName) { FFileName = FileName; }
    // Pairs of description and patterns, all separated by "|":
    // "Morvanth Archives (*.arc)|*.arc". Empty: every file.
    const QString &Filter() const { return FFilter; }
    void SetFilter(const QString &Filter) { FFilter = Filter; }

    // True when the user confirmed a file name; FileName then holds it.
    bool Execute(QWidget *Parent);

private:
    TKind FKind;
    TModalSeam &FSeam;
    QString FFileName;
    QString FFilter;
};

// The name filters of a QFileDialog for a "description|patterns|..." filter.
// A description that already ends in its patterns in parentheses is taken as
// it is; otherwise the patterns are added to it.
QStringList NameFiltersFromFilter(const QString &Filter);

} // namespace trovel
