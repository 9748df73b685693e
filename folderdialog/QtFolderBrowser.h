#pragma once

#include "FolderBrowser.h"

namespace trovel {

// Shows TFolderBrowserDialog, one new dialog per browse, and asks with
// QInputDialog (object name "folderNameInput") and warns with QMessageBox
// (object name "folderBrowserWarning").
class TQtFolderBrowser final : public TFolderBrowser
{
public:
    std::optional<TBrowseItem> BrowseForFolder(const TBrowseInfo &Info) override;
    QString InputBox(QWidget *Parent, const QString &Caption, const QString &Prompt,
                     const QString &Default) override;
    void ShowWarning(QWidget *Parent, const QString &Caption, const QString &Text) override;
};

} // namespace trovel
