#pragma once

#include "FolderBrowser.h"

class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace trovel {

class TFolderPlacesModel;

// The folder browser on this desktop: the title, the status line (shown with
// bifStatusText), the tree of places and their folders (the desktop's places
// without a root, else the root folder alone), OK and Cancel. Without a start
// selection from the callback it selects the home folder, or the first top
// item when the tree does not hold home. Its widgets have stable object names
// for tests: "folderBrowser" (the dialog), "titleLabel", "statusText",
// "folderTree", "okButton" and "cancelButton".
class TFolderBrowserDialog final : public TBrowserWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFolderBrowserDialog)

public:
    explicit TFolderBrowserDialog(const TBrowseInfo &Info);
    ~TFolderBrowserDialog() override;

    // Reports Initialized, selects the start folder unless the callback chose
    // one, and runs the dialog.
    std::optional<TBrowseItem> Run();

    void SetStatusText(const QString &Text, const QString &ToolTip) override;
    void EnableOk(bool Enable) override;
    void SetSelection(const QString &Path) override;
    void SetSelection(const TBrowseItem &Item) override;
    void Cancel() override;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

private:
    TBrowseItem ItemAt(const QModelIndex &Index) const;
    void KeepTextsReadable();
    void Select(const QModelIndex &Index);
    void ScrollToCurrent();
    void PutClientWidgetsInTabOrder();
    void CurrentChanged(const QModelIndex &Current);

    TBrowseCallback FCallback;
    TFolderPlacesModel *FModel;
    QTreeView *FTree;
    QLabel *FTitle;
    QLabel *FStatus;
    QWidget *FButtons;
    QPushButton *FOkButton;
};

} // namespace trovel
