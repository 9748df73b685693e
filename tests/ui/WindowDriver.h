#pragma once

#include "Main.h"
#include "ModalSeam.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QTreeView;

namespace trovel::testing {

class ArchiveBuilder;

// What a person saw in a dialog that the seam answered.
struct TSeenDialog
{
    QString Kind; // "file" or "message"
    QString Title;
    QString Text;             // message text
    QMessageBox::Icon Icon{}; // message icon
    QString InitialFile;      // file name box when the file dialog opened
    QStringList NameFilters;  // file dialog filters
    bool AnyFile = false;     // file dialog accepts names of files that do not exist
};

// Drives a TfrmMain the way a person would, with every modal dialog answered
// through the window's seam. A dialog nobody expected is recorded and
// cancelled instead of waiting for a person.
class TWindowDriver final
{
public:
    TWindowDriver();
    ~TWindowDriver();

    TfrmMain &Window() { return *FWindow; }
    TModalSeam &Seam() { return FWindow->ModalSeam(); }
    QTreeView *Tree() const;
    QTreeView *List() const;
    QString Status() const;
    QAction *Action(const char *Name) const;

    // Writes the archive to a file of the given name in a temporary folder.
    QString Write(const ArchiveBuilder &Archive, const QString &FileName = "test.arc");
    QString MissingPath() const { return FFolder.filePath("missing.arc"); }

    // Queues answers: the next file dialog is confirmed with Path, or cancelled.
    void AnswerFileDialog(const QString &Path);
    void CancelFileDialog();
    // The next message box is closed with OK.
    void AnswerMessageBox();

    // File > Open with the dialog answered with Path.
    void Open(const QString &Path);
    // File > Open of a file that cannot be opened; the error box is closed with OK.
    void OpenFailing(const QString &Path);

    // Everything the seam answered, in order, and what it did not expect.
    QList<TSeenDialog> Seen;
    QList<TSeenDialog> Unexpected;

    // The tree as "depth:text" in pre-order; "*" marks an expanded node,
    // "#" the current node, "~1" a node showing the closed folder.
    QString TreeDump() const;
    // The rows of the list as "name:size".
    QStringList Rows() const;
    // Selects the node at the path of texts below the root ("" is the root).
    void SelectFolder(const QString &Path);

private:
    std::unique_ptr<TfrmMain> FWindow;
    QTemporaryDir FFolder;
};

} // namespace trovel::testing
