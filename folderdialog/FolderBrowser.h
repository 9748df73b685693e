#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

// The folder browser that the folder chooser is built on: a modal dialog with
// a title, a tree of the file system's folders, an optional status line, OK
// and Cancel. The chooser talks to it only through the classes below, so a
// test can replace the real dialog (TQtFolderBrowser) with a scripted one.
namespace trovel {

// Flag bits of one browse.
inline constexpr unsigned bifReturnOnlyFsDirs = 0x0001;
inline constexpr unsigned bifDontGoBelowDomain = 0x0002;
inline constexpr unsigned bifStatusText = 0x0004; // show the status line
inline constexpr unsigned bifReturnFsAncestors = 0x0008;
inline constexpr unsigned bifBrowseForComputer = 0x1000;
inline constexpr unsigned bifBrowseForPrinter = 0x2000;

// An item of the browse tree. Folders of the file system carry their path; an
// item outside the file system has an empty path and only a display name.
struct TBrowseItem
{
    QString Path;
    QString DisplayName;

    // The item of an existing folder: its cleaned path and its last name.
    static TBrowseItem FromPath(const QString &Path);

    friend bool operator==(const TBrowseItem &, const TBrowseItem &) = default;
};

enum class TBrowseMessage
{
    Initialized,      // the window is built and not yet shown; no item
    SelectionChanged, // with the newly selected item
};

class TBrowserWindow;

using TBrowseCallback =
    std::function<void(TBrowserWindow &Wnd, TBrowseMessage Msg, const TBrowseItem *Item)>;

struct TBrowseInfo
{
    QWidget *Owner = nullptr;
    // The folder at the top of the tree; none shows the desktop's places:
    // home, the file system, the desktop folder and the mounted media.
    std::optional<QString> Root;
    QString WindowTitle = QStringLiteral("Browse for Folder");
    QString Title; // the text above the tree
    unsigned Flags = 0;
    TBrowseCallback Callback;
};

// The open browse dialog, as the client's callback drives it. The user can
// resize it; a client that places widgets of its own by coordinates keeps them
// in place on the dialog's resize events. Widgets the client adds come after
// the tree and before OK and Cancel in the tab order.
class TBrowserWindow : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TBrowserWindow)

public:
    using QDialog::QDialog;

    // ToolTip tells what the status line may have shortened.
    virtual void SetStatusText(const QString &Text, const QString &ToolTip) = 0;
    virtual void EnableOk(bool Enable) = 0;
    // Both select the folder, if the tree has it, and report the change
    // through the callback before they return, as a click would. The
    // selection is scrolled into view once the dialog is shown.
    virtual void SetSelection(const QString &Path) = 0;
    virtual void SetSelection(const TBrowseItem &Item) = 0;
    // Closes the dialog as its Cancel button does.
    virtual void Cancel() = 0;
};

class TFolderBrowser
{
public:
    virtual ~TFolderBrowser() = default;

    // Shows the dialog modally; the chosen item after OK, none after Cancel.
    virtual std::optional<TBrowseItem> BrowseForFolder(const TBrowseInfo &Info) = 0;
    // Asks for one line of text; Default when the user cancels.
    virtual QString InputBox(QWidget *Parent, const QString &Caption, const QString &Prompt,
                             const QString &Default) = 0;
    virtual void ShowWarning(QWidget *Parent, const QString &Caption, const QString &Text) = 0;
};

} // namespace trovel
