#include "VeskaFolderDialog.h"

#include "CentredPosition.h"
#include "LanguageKey.h"
#include "NewFolderButtonLayout.h"
#include "QtFolderBrowser.h"
#include "ShortenPath.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <array>

namespace trovel {

namespace {

// The chooser's texts by language key: the new-folder button's caption, the
// text above the tree, the browser's window title and the message shown when
// a new folder cannot be made.
struct TDefaultCaption
{
    const char16_t *Name;
    const char16_t *NewFolder;
    const char16_t *Label;
    const char16_t *BrowserTitle;
    const char16_t *CannotMake;
};

constexpr std::array<TDefaultCaption, 29> DefaultCaptions{{
    {u"Default", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"0009", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"0406", u"Ny mappe", u"Valgt mappe:", u"Søg efter mappe",
     u"Mappen eller filen kan ikke oprettes."},
    {u"0407", u"Neuer Ordner", u"Ausgewählter Ordner:", u"Ordner suchen",
     u"Das Verzeichnis oder die Datei kann nicht erstellt werden."},
    {u"0409", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"040C", u"Nouveau Dossier", u"Dossier Courant:", u"Rechercher un dossier",
     u"Le répertoire ou le fichier ne peut pas être créé."},
    {u"0410", u"Nuova Cartella", u"Cartella selezionata:", u"Cerca cartella",
     u"Impossibile creare la directory o il file."},
    {u"0413", u"Nieuwe map", u"Huidige map:", u"Map zoeken",
     u"De map of het bestand kan niet worden gemaakt."},
    {u"0415", u"Nowy folder", u"Bieżący folder", u"Wybierz folder",
     u"Nie można utworzyć katalogu lub pliku."},
    {u"0416", u"Nova Pasta", u"Pasta Atual:", u"Procurar pasta",
     u"Não é possível criar o diretório ou o arquivo."},
    {u"0807", u"Neuer Ordner", u"Ausgewählter Ordner:", u"Ordner suchen",
     u"Das Verzeichnis oder die Datei kann nicht erstellt werden."},
    {u"0809", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"080C", u"Nouveau Dossier", u"Dossier Courant:", u"Rechercher un dossier",
     u"Le répertoire ou le fichier ne peut pas être créé."},
    {u"0810", u"Nuova Cartella", u"Cartella selezionata:", u"Cerca cartella",
     u"Impossibile creare la directory o il file."},
    {u"0C07", u"Neuer Ordner", u"Ausgewählter Ordner:", u"Ordner suchen",
     u"Das Verzeichnis oder die Datei kann nicht erstellt werden."},
    {u"0C09", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"0C0C", u"Nouveau Dossier", u"Dossier Courant:", u"Rechercher un dossier",
     u"Le répertoire ou le fichier ne peut pas être créé."},
    {u"1007", u"Neuer Ordner", u"Ausgewählter Ordner:", u"Ordner suchen",
     u"Das Verzeichnis oder die Datei kann nicht erstellt werden."},
    {u"1009", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"100C", u"Nouveau Dossier", u"Dossier Courant:", u"Rechercher un dossier",
     u"Le répertoire ou le fichier ne peut pas être créé."},
    {u"1407", u"Neuer Ordner", u"Ausgewählter Ordner:", u"Ordner suchen",
     u"Das Verzeichnis oder die Datei kann nicht erstellt werden."},
    {u"1409", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"140C", u"Nouveau Dossier", u"Dossier Courant:", u"Rechercher un dossier",
     u"Le répertoire ou le fichier ne peut pas être créé."},
    {u"1809", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"180C", u"Nouveau Dossier", u"Dossier Courant:", u"Rechercher un dossier",
     u"Le répertoire ou le fichier ne peut pas être créé."},
    {u"1C09", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"2009", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"2809", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
    {u"2C09", u"New folder", u"Current folder:", u"Browse for Folder",
     u"The directory or file cannot be created."},
}};

QStringList DefaultLines(const char16_t *TDefaultCaption::*Value)
{
    QStringList lines;
    for (const TDefaultCaption &caption : DefaultCaptions)
        lines.append(QString::fromUtf16(caption.Name) + u'=' + QString::fromUtf16(caption.*Value));
    return lines;
}

// The status line's length limit.
constexpr int StatusMaxLen = 50;

// Tests find the new-folder button by this name.
const QString NewFolderButtonName = QStringLiteral("newFolderButton");

} // namespace

unsigned ShellFlags(TBrowseInfoFlagSet Flags)
{
    static constexpr std::array<unsigned, 6> Bits{bifBrowseForComputer, bifBrowseForPrinter,
                                                  bifDontGoBelowDomain, bifReturnFsAncestors,
                                                  bifReturnOnlyFsDirs,  bifStatusText};
    unsigned result = 0;
    for (std::size_t ordinal = 0; ordinal < Bits.size(); ++ordinal) {
        if (Flags.Contains(TBrowseInfoFlags(ordinal)))
            result |= Bits[ordinal];
    }
    return result;
}

bool HasOwnCaptions(const QLocale &Locale)
{
    const QString key = LanguageKeyOf(Locale);
    return std::any_of(
        DefaultCaptions.begin(), DefaultCaptions.end(), [&key](const TDefaultCaption &Caption) {
            return key.compare(QString::fromUtf16(Caption.Name), Qt::CaseInsensitive) == 0;
        });
}

TVeskaFolderDialog::TVeskaFolderDialog(QObject *Owner)
    : TVeskaFolderDialog(Owner, QLocale::system())
{
}

TVeskaFolderDialog::TVeskaFolderDialog(QObject *Owner, const QLocale &SystemLocale)
    : QObject(Owner), FLanguageKey(LanguageKeyOf(SystemLocale)),
      FBrowser(std::make_unique<TQtFolderBrowser>())
{
    connect(&FNewFolderCaptions, &TCaptionList::Changed, this,
            &TVeskaFolderDialog::NewFolderCaptionsChanged);
    FNewFolderCaptions.SetLines(DefaultLines(&TDefaultCaption::NewFolder));
    connect(&FLabelCaptions, &TCaptionList::Changed, this,
            &TVeskaFolderDialog::LabelCaptionsChanged);
    FLabelCaptions.SetLines(DefaultLines(&TDefaultCaption::Label));

    TCaptionList texts;
    texts.SetLines(DefaultLines(&TDefaultCaption::BrowserTitle));
    FBrowserTitle = PickCaption(texts);
    texts.SetLines(DefaultLines(&TDefaultCaption::CannotMake));
    FCannotMakeText = PickCaption(texts);
}

TVeskaFolderDialog::~TVeskaFolderDialog() = default;

void TVeskaFolderDialog::SetBrowser(std::unique_ptr<TFolderBrowser> Browser)
{
    FBrowser = std::move(Browser);
}

void TVeskaFolderDialog::SetNewFolderVisible(bool Value)
{
    if (Value == FNewFolderVisible)
        return;
    FNewFolderVisible = Value;
    if (FNewFolderButton)
        FNewFolderButton->setVisible(Value);
}

void TVeskaFolderDialog::SetNewFolderEnabled(bool Value)
{
    FNewFolderEnabled = Value;
    EnableNewFolderButton();
}

void TVeskaFolderDialog::SetLabelCaptions(const QStringList &Value)
{
    if (TCaptionList::TextOf(Value) != FLabelCaptions.Text())
        FLabelCaptions.SetLines(Value);
}

void TVeskaFolderDialog::SetNewFolderCaptions(const QStringList &Value)
{
    if (TCaptionList::TextOf(Value) != FNewFolderCaptions.Text())
        FNewFolderCaptions.SetLines(Value);
}

void TVeskaFolderDialog::NewFolderCaptionsChanged()
{
    FNewFolderCaption = PickCaption(FNewFolderCaptions);
    // The button keeps its size: it was measured for the caption it was made with.
    if (FNewFolderButton)
        FNewFolderButton->setText(FNewFolderCaption);
}

void TVeskaFolderDialog::LabelCaptionsChanged()
{
    FLabelCaption = PickCaption(FLabelCaptions);
}

QString TVeskaFolderDialog::PickCaption(const TCaptionList &List) const
{
    if (List.Count() == 0)
        return {};
    for (int index = 0; index < List.Count(); ++index) {
        if (List.Name(index).compare(FLanguageKey, Qt::CaseInsensitive) == 0)
            return List.Value(index);
    }
    for (int index = 0; index < List.Count(); ++index) {
        if (List.Name(index) == u"Default")
            return List.Value(index);
    }
    return List.Value(0);
}

bool TVeskaFolderDialog::Execute()
{
    FSelectedPath = FFolder;

    TBrowseInfo info;
    info.Owner = OwnerWindow();
    if (FRootFolder != foDesktopExpanded)
        info.Root = SpecialFolderLocation(FRootFolder);
    info.WindowTitle = FBrowserTitle;
    info.Title = FLabelCaption;
    info.Flags = ShellFlags(FFlags);
    info.Callback = [this](TBrowserWindow &Wnd, TBrowseMessage Msg, const TBrowseItem *Item) {
        BrowseCallback(Wnd, Msg, Item);
    };

    FLastSelection.reset();
    std::optional<TBrowseItem> chosen;
    // The new-folder command closes the browser to show the new folder in a
    // fresh tree; each pass starts at the working path.
    do {
        FInitialized = false;
        FReopen = false;
        FFolder = FSelectedPath;
        chosen = FBrowser->BrowseForFolder(info);
    } while (FReopen);

    if (!chosen)
        return false;
    FFolder = chosen->Path;
    FSelectedPath = FFolder;
    return true;
}

QWidget *TVeskaFolderDialog::OwnerWindow() const
{
    if (auto *ownerWidget = qobject_cast<QWidget *>(parent()))
        return ownerWidget->window();
    return QApplication::activeWindow();
}

void TVeskaFolderDialog::BrowseCallback(TBrowserWindow &Wnd, TBrowseMessage Msg,
                                        const TBrowseItem *Item)
{
    switch (Msg) {
    case TBrowseMessage::Initialized:
        BrowserInitialized(Wnd);
        break;
    case TBrowseMessage::SelectionChanged:
        if (Item)
            BrowserSelectionChanged(Wnd, *Item);
        break;
    }
}

void TVeskaFolderDialog::BrowserInitialized(TBrowserWindow &Wnd)
{
    FDialogHandle = &Wnd;
    CentreOnScreen(Wnd);
    CreateNewFolderButton(Wnd);
    if (FNewFolderButton) {
        EnableNewFolderButton();
        FNewFolderButton->setVisible(FNewFolderVisible);
    }

    if (QFileInfo(FFolder).isDir())
        SelectStartFolder(Wnd, FFolder);
    else if (FLastSelection)
        Wnd.SetSelection(*FLastSelection);

    FInitialized = true;
    if (FOnInitialized)
        FOnInitialized(*this, &Wnd);
}

void TVeskaFolderDialog::BrowserSelectionChanged(TBrowserWindow &Wnd, const TBrowseItem &Item)
{
    // Selections made while the browser sets itself up are not the user's.
    if (FInitialized)
        FLastSelection = Item;
    FSelectedPath = Item.Path;

    if (FFlags.Contains(TBrowseInfoFlags::ShowPath)) {
        QString status = StatusPath(Item.Path, StatusMaxLen);
        // An item outside the file system is shown, and worked with, by name.
        if (status.isEmpty()) {
            status = Item.DisplayName;
            FSelectedPath = Item.DisplayName;
        }
        Wnd.SetStatusText(status, FSelectedPath);
    }

    FPathValid = !FSelectedPath.isEmpty();
    Wnd.EnableOk(FFlags.Contains(TBrowseInfoFlags::OnlyFileSystem) ? FPathValid : true);
    EnableNewFolderButton();

    if (FOnSelectionChanged)
        FOnSelectionChanged(*this, &Wnd, Item, FSelectedPath);
}

void TVeskaFolderDialog::SelectStartFolder(TBrowserWindow &Wnd, const QString &Path)
{
    if (QFileInfo(Path).isDir())
        Wnd.SetSelection(TBrowseItem::FromPath(Path));
}

void TVeskaFolderDialog::CentreOnScreen(QWidget &Dialog) const
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize frame = Dialog.size().grownBy(FrameMargins(Dialog));
    // A window's position is that of its frame.
    Dialog.move(screen.topLeft() + CentredPosition(screen.size(), frame));
}

QMargins TVeskaFolderDialog::FrameMargins(const QWidget &Dialog)
{
    // The window manager frames a window only once it is mapped; until then
    // the frame of another visible window of the program, the owner's first,
    // stands in for it.
    QList<QWindow *> windows = QGuiApplication::topLevelWindows();
    if (const QWidget *owner = Dialog.parentWidget(); owner && owner->window()->windowHandle())
        windows.prepend(owner->window()->windowHandle());
    if (Dialog.windowHandle())
        windows.prepend(Dialog.windowHandle());
    for (const QWindow *window : std::as_const(windows)) {
        if (window->isVisible() && !window->frameMargins().isNull())
            return window->frameMargins();
    }
    return {};
}

QRect TVeskaFolderDialog::NewFolderButtonPlace(const QWidget &Dialog)
{
    const int ppi = qRound(Dialog.screen()->logicalDotsPerInch());
    const int captionHeight = Dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return NewFolderButtonRect(ppi, Dialog.rect().height(), captionHeight);
}

bool TVeskaFolderDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    // The button keeps its place near the bottom-left corner of a resized
    // browser.
    if (Event->type() == QEvent::Resize && FNewFolderButton && Watched == FDialogHandle)
        FNewFolderButton->move(NewFolderButtonPlace(*FDialogHandle).topLeft());
    return QObject::eventFilter(Watched, Event);
}

void TVeskaFolderDialog::CreateNewFolderButton(TBrowserWindow &Dialog)
{
    const int ppi = qRound(Dialog.screen()->logicalDotsPerInch());
    const QRect place = NewFolderButtonPlace(Dialog);

    auto *button = new QPushButton(FNewFolderCaption, &Dialog);
    button->setObjectName(NewFolderButtonName);
    // An ordinary push button: Enter still means OK.
    button->setAutoDefault(false);
    button->setGeometry(place);
    button->show();

    const QFont font = QApplication::font();
    button->setFont(font);
    const int textWidth = QFontMetrics(font).horizontalAdvance(FNewFolderCaption);
    button->resize(NewFolderButtonWidth(textWidth, ppi), place.height());
    button->setEnabled(FNewFolderEnabled);

    connect(button, &QPushButton::clicked, this, &TVeskaFolderDialog::NewFolderCommand);
    Dialog.installEventFilter(this);
    FNewFolderButton = button;
}

void TVeskaFolderDialog::EnableNewFolderButton()
{
    if (FNewFolderButton)
        FNewFolderButton->setEnabled(FPathValid && FNewFolderEnabled);
}

void TVeskaFolderDialog::NewFolderCommand()
{
    QString name = FBrowser->InputBox(FDialogHandle, FNewFolderCaption, QString(), QString());
    if (name.isEmpty())
        return;

    FReopen = true;
    if (!name.startsWith(u'/') && !FSelectedPath.endsWith(u'/'))
        name.prepend(u'/');
    const QString newPath = QDir::cleanPath(FSelectedPath + name);
    // A working path that is a display name, not a folder, would put the new
    // folder below the program's current directory.
    const bool made =
        QDir::isAbsolutePath(FSelectedPath) && QDir().mkpath(newPath) && QFileInfo(newPath).isDir();
    if (made) {
        FSelectedPath = newPath;
    } else {
        FInitialized = false;
        FBrowser->ShowWarning(FDialogHandle, FNewFolderCaption, FCannotMakeText);
    }
    // The browser opens again, at the new folder or at the old selection.
    if (FDialogHandle)
        FDialogHandle->Cancel();
}

} // namespace trovel
