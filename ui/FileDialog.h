#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace trovel {

class TModalSeam;

// The open and save dialogs of the window. Like the desktop's own file dialog
// components they keep their file name between runs: after a confirmed run it
// holds the chosen full path, and the next run starts with it filled in. A
// bare name set in between is proposed in the folder remembered last, the
// folder of a file that was used successfully: a folder where writing failed
// (a system folder, say, where merely listing files can block) is not offered
// again.
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

    // True when the user confirmed a file name; FileName then holds it. A save
    // dialog confirmed with a name in a folder that does not exist says so and
    // asks again.
    bool Execute(QWidget *Parent);
    // Remembers the folder of FileName for the bare names to come.
    void RememberFolder();

private:
    // Tells the user, and is true, when the folder of FileName does not exist.
    bool RefusedForMissingFolder(const QString &FileName);

    TKind FKind;
    TModalSeam &FSeam;
    QString FFileName;
    QString FFilter;
    QString FDirectory;
};

// Keeps every setting of the program's run in memory. Qt's own file dialog
// saves its history, last folder and layout in the user's settings of the
// toolkit when it is destroyed, and reads them when it is made; after this
// they are neither read from nor written to disk. Call it before the first
// dialog is made.
void KeepNoSettings();

// What the save dialog says when the folder of the chosen name does not exist.
QString MissingFolderText(const QString &Folder);

// The name filters of a QFileDialog for a "description|patterns|..." filter.
// A description that already ends in its patterns in parentheses is taken as
// it is; otherwise the patterns are added to it.
QStringList NameFiltersFromFilter(const QString &Filter);

} // namespace trovel
