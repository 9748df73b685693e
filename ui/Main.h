#pragma once

#include "CommandGuard.h"
#include "FileDialog.h"
#include "ModalSeam.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QModelIndex;

namespace Ui {
class TfrmMain;
}

namespace trovel {

class TArcReader;
class TFileListModel;
class TFolderTreeModel;
class TShortcutTexts;

// The part of an entry name after its last "/": the whole name when it has
// none, empty when it ends in "/". Only "/" separates.
std::string ExtractArcFileName(std::string_view Name);

// The main window: the folder tree of the open archive on the left, the files
// of the selected folder on the right, the commands in its menus.
class TfrmMain final : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfrmMain(QWidget *Parent = nullptr);
    ~TfrmMain() override;
    Q_DISABLE_COPY_MOVE(TfrmMain)

    // Every modal dialog and message box of the window runs through this seam.
    TModalSeam &ModalSeam() { return FModalSeam; }
    // True only after a load has run to its end.
    bool ArchiveLoaded() const { return FArchiveLoaded; }

protected:
    void closeEvent(QCloseEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    // What the window is in the middle of, for the commands that must not
    // re-enter the reader while it lets pending events run.
    enum class TRunning
    {
        Nothing,
        Load,
        ExtractAll,
    };
    class TRunningScope;

    void UpdateStatus();
    void LoadArchive(const std::string &FileName);
    void CloseArchive();
    void ExtractSelected();
    void ExtractAllFiles();

    void tvDirectoriesChange(const QModelIndex &Node);
    void FormCreate();
    void FormDestroy();
    void Beenden1Click();
    void ffnen1Click();
    void AboutTrovel1Click();
    void Selectedfile1Click();
    void Allfiles1Click();
    void btCancelClick();

    void ShowMessage(const QString &Text);
    // Runs an event handler through the command guard, then ends the program
    // if the window was closed while the handler ran.
    template <typename Handler>
    void Guarded(Handler &&Command)
    {
        FGuard.Run(std::forward<Handler>(Command));
        CloseIfRequested();
    }
    void CloseIfRequested();
    void ConnectHandlers();
    void SetUpViews();
    bool IsMenuShortcut(const QKeyEvent &Key) const;
    void LetPendingEventsRun();

    std::unique_ptr<Ui::TfrmMain> ui;
    TModalSeam FModalSeam;
    TCommandGuard FGuard;
    TShortcutTexts *FShortcutTexts;
    QList<QIcon> imFolders;
    TFileDialog OpenDialog1;
    TFileDialog SaveDialog1;
    TFolderTreeModel *FTree;
    TFileListModel *FFiles;

    std::unique_ptr<TArcReader> FReader;
    bool FArchiveLoaded = false;
    bool FCancelled = false;
    // The entry lists of the folders, by the number in a node's data slot.
    std::vector<std::vector<std::int32_t>> FEntryLists;
    TRunning FRunning = TRunning::Nothing;
    bool FCloseRequested = false;
    // Set while the tree is emptied, when its selection reports mean nothing.
    bool FEmptyingTree = false;
    QElapsedTimer FLastPendingRun;
};

} // namespace trovel
