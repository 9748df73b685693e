#pragma once

#include "CommandGuard.h"
#include "DesignScale.h"
#include "ExtractAllRun.h"
#include "FileDialog.h"
#include "FolderIndex.h"
#include "ModalSeam.h"
#include "NameText.h" // ExtractArcFileName, which this unit offers
#include "RunningState.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QMargins>
#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QModelIndex;

namespace Ui {
class TfrmMain;
}

namespace trovel {

class TArcReader;
class TShortcutTexts;
class TVeskaFolderDialog;

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
    bool event(QEvent *Event) override;
    void closeEvent(QCloseEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    using TRunning = TRunningState::TRunning;

    void UpdateStatus();
    void LoadArchive(const std::string &FileName);
    void CloseArchive();
    void ExtractSelected();
    bool ExtractProgress(TArcReader &Sender, const std::string &Name);
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
    // Sizes the window to FDesignedSize, or smaller where the desktop leaves
    // less room inside a frame of Frame, and centres it.
    void PlaceOnDesktop(const QMargins &Frame);
    bool IsMenuShortcut(const QKeyEvent &Key) const;
    std::optional<std::int32_t> SelectedEntry() const;
    // Before All files writes anything: the target's file system has room
    // for the entries, and they do not share their data. Otherwise the
    // refusal is shown and false returned.
    bool AllFilesMayRun(const std::string &Folder);
    bool ExecuteFolderDialog();
    void ShowExtractPanel();
    void ShowExtractProgress(int Position, const std::string &Name);

    std::unique_ptr<Ui::TfrmMain> FUi;
    // Scales the form's sizes to the window's font.
    TDesignScale FScale;
    // The window's size at the scale, the menu bar included.
    QSize FDesignedSize;
    // The size PlaceOnDesktop gave the window.
    QSize FPlacedSize;
    // The window manager's frame is not known yet.
    bool FFramePending = true;
    TModalSeam FModalSeam;
    TCommandGuard FGuard;
    TShortcutTexts *FShortcutTexts;
    QList<QIcon> imFolders;
    TFileDialog OpenDialog1;
    TFileDialog SaveDialog1;
    TVeskaFolderDialog *VeskaFolderDialog1;
    TFolderTreeModel *FTree;
    TFileListModel *FFiles;

    std::unique_ptr<TArcReader> FReader;
    bool FArchiveLoaded = false;
    // The folder tree's entry lists.
    TFolderIndex FFolderIndex;
    TRunningState FRunning;
    // Holds FCancelled, the cancel request of All files.
    TExtractAllRun FExtractAll;
};

} // namespace trovel
