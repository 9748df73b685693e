#pragma once

// TVeskaFolderDialog asks the user for a folder: a modal folder browser with
// per-language captions, the selected path in a status line and a button that
// makes a new folder below the selection.

#include "CaptionList.h"
#include "FolderBrowser.h"
#include "ShellFolders.h"

#include <QLocale>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class QPushButton;

namespace trovel {

enum class TBrowseInfoFlags : std::uint8_t
{
    OnlyComputers,
    OnlyPrinters,
    OnlyDomains,
    OnlyAncestors,
    // OK (and the new-folder button) only for a selection with a path.
    OnlyFileSystem,
    // The status line shows the selection's path.
    ShowPath,
};

// A set of TBrowseInfoFlags: bit n stands for the flag of ordinal n.
class TBrowseInfoFlagSet final
{
public:
    constexpr TBrowseInfoFlagSet() = default;
    constexpr TBrowseInfoFlagSet(std::initializer_list<TBrowseInfoFlags> Flags)
    {
        for (TBrowseInfoFlags flag : Flags)
            FBits |= Bit(flag);
    }

    constexpr bool Contains(TBrowseInfoFlags Flag) const { return (FBits & Bit(Flag)) != 0; }
    constexpr std::uint8_t Bits() const { return FBits; }

    friend constexpr bool operator==(TBrowseInfoFlagSet, TBrowseInfoFlagSet) = default;

private:
    static constexpr std::uint8_t Bit(TBrowseInfoFlags Flag)
    {
        return std::uint8_t(1u << unsigned(Flag));
    }

    std::uint8_t FBits = 0;
};

// The browser's flag bits (bif...) for a flag set.
unsigned ShellFlags(TBrowseInfoFlagSet Flags);

class TVeskaFolderDialog;

// Whether the chooser's default captions have lines of their own for the
// language of Locale, so that it does not fall back to the "Default" ones.
bool HasOwnCaptions(const QLocale &Locale);

// DialogHandle is the open browser window.
using TBrowserInitializedEvent =
    std::function<void(TVeskaFolderDialog &Sender, QWidget *DialogHandle)>;
// Folder is the dialog's working path after the change.
using TSelectionChangedEvent =
    std::function<void(TVeskaFolderDialog &Sender, QWidget *DialogHandle,
                       const TBrowseItem &ItemIDList, const QString &Folder)>;

class TVeskaFolderDialog final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TVeskaFolderDialog)

public:
    // The captions, the browser's window title and the message shown when a
    // new folder cannot be made follow the language of QLocale::system().
    explicit TVeskaFolderDialog(QObject *Owner = nullptr);
    // They follow the language of SystemLocale.
    TVeskaFolderDialog(QObject *Owner, const QLocale &SystemLocale);
    ~TVeskaFolderDialog() override;

    // Shows the browser modally; true when the user confirmed a folder with OK.
    // Folder() then holds its path, or is empty when the chosen item has none.
    // Folder() is also the input: an existing directory is selected at the
    // start.
    bool Execute();

    const QString &Folder() const { return FFolder; }
    void SetFolder(const QString &Value) { FFolder = Value; }

    TBrowseInfoFlagSet Flags() const { return FFlags; }
    void SetFlags(TBrowseInfoFlagSet Value) { FFlags = Value; }

    TSHFolders RootFolder() const { return FRootFolder; }
    void SetRootFolder(TSHFolders Value) { FRootFolder = Value; }

    // Takes effect at once on an open browser.
    bool NewFolderVisible() const { return FNewFolderVisible; }
    void SetNewFolderVisible(bool Value);
    bool NewFolderEnabled() const { return FNewFolderEnabled; }
    void SetNewFolderEnabled(bool Value);

    const TBrowserInitializedEvent &OnInitialized() const { return FOnInitialized; }
    void SetOnInitialized(TBrowserInitializedEvent Value) { FOnInitialized = std::move(Value); }
    const TSelectionChangedEvent &OnSelectionChanged() const { return FOnSelectionChanged; }
    void SetOnSelectionChanged(TSelectionChangedEvent Value)
    {
        FOnSelectionChanged = std::move(Value);
    }

    // Lines "name=value", the name "Default" or a language key ("0407"). The
    // caption is picked again after every change to a list; assigning lines
    // with the same text as the list's changes nothing.
    TCaptionList &LabelCaptions() { return FLabelCaptions; }
    const TCaptionList &LabelCaptions() const { return FLabelCaptions; }
    void SetLabelCaptions(const QStringList &Value);
    TCaptionList &NewFolderCaptions() { return FNewFolderCaptions; }
    const TCaptionList &NewFolderCaptions() const { return FNewFolderCaptions; }
    void SetNewFolderCaptions(const QStringList &Value);

    QString Version() const { return FVersion; }
    void SetVersion(const QString &) {}

    // The value of List's line for the system language, else of its "Default"
    // line, else of its first line; empty for an empty list.
    QString PickCaption(const TCaptionList &List) const;

    // The browser that Execute shows (TQtFolderBrowser unless replaced).
    TFolderBrowser &Browser() const { return *FBrowser; }
    void SetBrowser(std::unique_ptr<TFolderBrowser> Browser);

private:
    void BrowseCallback(TBrowserWindow &Wnd, TBrowseMessage Msg, const TBrowseItem *Item);
    void BrowserInitialized(TBrowserWindow &Wnd);
    void BrowserSelectionChanged(TBrowserWindow &Wnd, const TBrowseItem &Item);
    void SelectStartFolder(TBrowserWindow &Wnd, const QString &Path);
    void CentreOnScreen(QWidget &Dialog) const;
    static QMargins FrameMargins(const QWidget &Dialog);
    static QRect NewFolderButtonPlace(const QWidget &Dialog);
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void CreateNewFolderButton(TBrowserWindow &Dialog);
    void NewFolderCommand();
    void EnableNewFolderButton();
    QWidget *OwnerWindow() const;
    void NewFolderCaptionsChanged();
    void LabelCaptionsChanged();

    QPointer<TBrowserWindow> FDialogHandle;
    QPointer<QPushButton> FNewFolderButton;
    QString FLabelCaption;
    QString FBrowserTitle;
    QString FCannotMakeText;
    QString FFolder;
    QString FSelectedPath;
    TBrowseInfoFlagSet FFlags{TBrowseInfoFlags::ShowPath};
    TSHFolders FRootFolder = foDesktopExpanded;
    bool FNewFolderVisible = true;
    bool FNewFolderEnabled = true;
    QString FNewFolderCaption;
    bool FReopen = false;
    bool FPathValid = true;
    const QString FVersion = QStringLiteral("3.00.00.00");
    const QString FLanguageKey;
    TCaptionList FNewFolderCaptions;
    TCaptionList FLabelCaptions;
    std::optional<TBrowseItem> FLastSelection;
    bool FInitialized = false;
    TBrowserInitializedEvent FOnInitialized;
    TSelectionChangedEvent FOnSelectionChanged;
    std::unique_ptr<TFolderBrowser> FBrowser;
};

} // namespace trovel
