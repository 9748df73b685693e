#pragma once

#include "CommandGuard.h"
#include "DesignScale.h"
#include "EventPacer.h"
#include "FileDialog.h"
#include "ModalSeam.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
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
class TVeskaFolderDialog;

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
    // How often a load or All files lets pending events run, at most; 0 lets
    // them run at every folder list or entry.
    void SetPendingEventsInterval(std::chrono::milliseconds Interval)
    {
        FPendingEvents.SetInterval(Interval);
    }

signals:
    // All files has brought its progress panel up to date (the bar stands at
    // Position, the label shows Name) and is about to let pending events run:
    // a cancel handled now keeps the entry Name from being written.
    void ExtractProgressShown(int Position, const QString &Name);

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
    bool IsMenuShortcut(const QKeyEvent &Key) const;
    void LetPendingEventsRun();
    std::optional<std::int32_t> SelectedEntry() const;
    bool ExecuteFolderDialog();
    void ShowExtractPanel();
    void ShowExtractProgress();

    std::unique_ptr<Ui::TfrmMain> ui;
    // The design's sizes in the window's font.
    TDesignScale FScale;
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
    bool FCancelled = false;
    // The entry lists of the folders, by the number in a node's data slot.
    std::vector<std::vector<std::int32_t>> FEntryLists;
    TRunning FRunning = TRunning::Nothing;
    bool FCloseRequested = false;
    // Set while the tree is emptied, when its selection reports mean nothing.
    bool FEmptyingTree = false;
    TEventPacer FPendingEvents;
    // The latest progress report of All files, shown on the panel whenever
    // pending events run.
    std::string FProgressName;
    int FProgressPosition = 0;
};

} // namespace trovel
