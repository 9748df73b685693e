#pragma once

#include "FolderBrowser.h"

class QFileSystemModel;
class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace trovel {

class TFolderTreeFilter;

// The folder browser on this desktop: the title, the status line (shown with
// bifStatusText), a tree of the file system's folders below the top folder,
// OK and Cancel. Its widgets have stable object names for tests:
// "folderBrowser" (the dialog), "titleLabel", "statusText", "folderTree",
// "okButton" and "cancelButton".
class TFolderBrowserDialog final : public TBrowserWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFolderBrowserDialog)

public:
    explicit TFolderBrowserDialog(const TBrowseInfo &Info);
    ~TFolderBrowserDialog() override;

    // Reports Initialized, selects the top folder unless the callback chose
    // another, and runs the dialog.
    std::optional<TBrowseItem> Run();

    void SetStatusText(const QString &Text) override;
    void EnableOk(bool Enable) override;
    void SetSelection(const QString &Path) override;
    void SetSelection(const TBrowseItem &Item) override;
    void Cancel() override;

private:
    TBrowseItem ItemAt(const QModelIndex &Index) const;
    void CurrentChanged(const QModelIndex &Current);

    TBrowseCallback FCallback;
    QFileSystemModel *FModel;
    TFolderTreeFilter *FFilter;
    QTreeView *FTree;
    QLabel *FStatus;
    QPushButton *FOkButton;
};

} // namespace trovel
