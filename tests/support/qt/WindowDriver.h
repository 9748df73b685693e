#pragma once

#include "Main.h"
#include "ModalSeam.h"

#include <QByteArray>
#include <QEvent>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeView;

namespace trovel::testing {

class TArchiveBuilder;

// The application's font at the pixel size whose line height is LineHeight.
QFont FontOfLineHeight(int LineHeight);

// The whole file at Path; empty when it cannot be read.
QByteArray ReadFile(const QString &Path);

// Hands the events of one type that reach a watched object to a function.
class TEventWatcher final : public QObject
{
public:
    TEventWatcher(QObject *Watched, QEvent::Type Type, std::function<void(QEvent &)> Report)
        : QObject(Watched), FType(Type), FReport(std::move(Report))
    {
        Watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *Event) override
    {
        if (Event->type() == FType)
            FReport(*Event);
        return false;
    }

private:
    QEvent::Type FType;
    std::function<void(QEvent &)> FReport;
};

// Seven entries, 0 to 6: readme.txt, textures/grass.tex,
// textures/sky/clouds.tex (compressed, two parts), maps/b.txt, maps/A.txt,
// maps/a.txt and the empty config.ini.
TArchiveBuilder SampleArchive();
// The sample as every file system writes it whole: Windows takes names that
// differ in case alone for one file and refuses the later one, so there
// "maps/a.txt" is "maps/c.txt".
TArchiveBuilder WritableSampleArchive();

// What a person saw in a dialog that the seam answered.
struct TSeenDialog
{
    QString Kind; // "file", "message" or "folder"
    QString Title;
    QString Text;             // message text
    QMessageBox::Icon Icon{}; // message icon
    QString InitialFile;      // file name box when the file dialog opened; the chooser's Folder
    QStringList NameFilters;  // file dialog filters
    bool AnyFile = false;     // file dialog accepts names of files that do not exist
    unsigned FolderFlags = 0; // the folder chooser's flag bits
};

// Drives a TfrmMain the way a person would, with every modal dialog answered
// through the window's seam. A dialog nobody expected is recorded and
// cancelled instead of waiting for a person. Everything a person would see
// happen is traced in order: the dialogs answered, the progress panel shown
// and hidden, the status texts.
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
    QFrame *Panel() const;
    QLabel *Label() const;
    QProgressBar *Bar() const;
    QPushButton *CancelButton() const;

    // Writes the archive to a file of the given name in a temporary folder.
    QString Write(const TArchiveBuilder &Archive, const QString &FileName = "test.arc");
    QString MissingPath() const { return FFolder.filePath("missing.arc"); }

    // Queues answers: the next file dialog is confirmed with Path, or cancelled.
    void AnswerFileDialog(const QString &Path);
    void CancelFileDialog();
    // The next message box is closed with OK.
    void AnswerMessageBox();
    // The next folder chooser is confirmed with Folder (empty: an item without
    // a path), or cancelled.
    void AnswerFolderChooser(const QString &Folder);
    void CancelFolderChooser();

    // File > Open with the dialog answered with Path.
    void Open(const QString &Path);
    // File > Open of a file that cannot be opened; the error box is closed with OK.
    void OpenFailing(const QString &Path);

    // Everything the seam answered, in order, and what it did not expect.
    QList<TSeenDialog> Seen;
    QList<TSeenDialog> Unexpected;
    // "file", "folder", "message:<text>", "panel shown", "panel hidden".
    QStringList Trace;
    // Every text the status bar was given.
    QStringList StatusTexts;

    // The tree as "depth:text" in pre-order; "*" marks an expanded node,
    // "#" the current node, "~1" a node showing the closed folder.
    QString TreeDump() const;
    // The rows of the list as "name:size".
    QStringList Rows() const;
    // The node at the path of texts below the root ("" is the root); invalid
    // when there is none.
    QModelIndex FolderNode(const QString &Path) const;
    // Selects that node; a test fails when there is none.
    void SelectFolder(const QString &Path);
    // The list's row with that caption, and where it is drawn in the viewport.
    QModelIndex Row(const QString &Caption) const;
    QPoint RowCentre(const QString &Caption) const;
    void SelectRow(const QString &Caption);
    // Presses, releases, presses again and releases the left button at At in
    // the list's viewport: the first press selects the row there.
    void DoubleClickList(const QPoint &At);

private:
    void See(QObject &Dialog);

    std::unique_ptr<TfrmMain> FWindow;
    QTemporaryDir FFolder;
};

} // namespace trovel::testing
