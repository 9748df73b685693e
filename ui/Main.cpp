#include "Main.h"

#include "ArcPaths.h"
#include "CentredPosition.h"
#include "Collation.h"
#include "DesignScale.h"
#include "FileListModel.h"
#include "FolderTreeModel.h"
#include "MenuKeys.h"
#include "MessageBoxes.h"
#include "NameText.h"
#include "PathText.h"
#include "RunCheck.h"
#include "VeskaFolderDialog.h"
#include "ViewSupport.h"
#include "uArcReader.h"
#include "ui_Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace trovel {

namespace {

const char *const ArchiveFilter = "Morvanth Archives (*.arc)|*.arc";
const char *const NoArchiveText = "Please open an archive first!";
const char *const AboutText = "Trovel 1.0, a viewer for game archives, by the Trovel authors.\n"
                              "Morvanth is published by Quorvex Interactive and developed by "
                              "Hollowfen Softworks.\n"
                              "\n"
                              "For more information see readme.txt!";

// Sizes at a line height of 13 pixels (see TDesignScale); the form holds the
// others.
constexpr int ClientWidth = 736;
constexpr int ClientHeight = 487;
constexpr int TreeWidth = 201;
constexpr int FilenameWidth = 300;
constexpr int FilenameMinimumWidth = 50;
constexpr int SizeWidth = 80;
// A tree dragged this narrow or narrower snaps shut.
constexpr int TreeSnapWidth = 30;
// Pending events run at most this often while an archive loads or All files
// runs: often enough for the window to follow, rarely enough that a run over
// many small entries does not spend its time in the event loop.
constexpr std::chrono::milliseconds PendingEventsInterval{30};
constexpr int ExtractPanelHeight = 89;

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/art/trovel-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

TfrmMain::TfrmMain(QWidget *Parent)
    : QMainWindow(Parent), FUi(std::make_unique<Ui::TfrmMain>()),
      FGuard([this](const QString &Message) { ShowErrorMessage(FModalSeam, Message); }),
      FShortcutTexts(new TShortcutTexts(this)), imFolders(FolderImages()),
      OpenDialog1(TFileDialog::TKind::Open, FModalSeam),
      SaveDialog1(TFileDialog::TKind::Save, FModalSeam),
      VeskaFolderDialog1(new TVeskaFolderDialog(this)), FTree(new TFolderTreeModel(this)),
      FFiles(new TFileListModel(TCollator::ForSystem(), this)),
      FFolderIndex(*FTree, PendingEventsInterval), FExtractAll(PendingEventsInterval)
{
    QCoreApplication::installTranslator(FShortcutTexts);
    // Nothing of a run is kept on disk, not even by the toolkit's dialogs.
    KeepNoSettings();
    FUi->setupUi(this);
    if (const QScreen *screen = this->screen()) {
        if (const QFont shown = ScreenFont(font(), screen->logicalDotsPerInchY()); shown != font())
            setFont(shown);
    }
    FScale = TDesignScale::ForFont(font());
    setWindowIcon(ApplicationIcon());
    SetUpViews();
    ConnectHandlers();

    // The client area has that size; the menu bar comes on top.
    FDesignedSize =
        QSize(FScale(ClientWidth), FScale(ClientHeight) + FUi->MainMenu1->sizeHint().height());
    resize(FDesignedSize);
    PlaceOnDesktop(EstimatedFrame(*this));

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    FGuard.Run([this] { FormDestroy(); });
}

void TfrmMain::PlaceOnDesktop(const QMargins &Frame)
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    // Centred on the desktop; a window that would be larger than the desktop,
    // as in a large font, is made smaller in both directions.
    const TPlacement place = FirstPlacement(FDesignedSize, Frame, screen->availableGeometry());
    FPlacedSize = place.Size;
    resize(place.Size);
    move(place.FramePosition);
}

bool TfrmMain::event(QEvent *Event)
{
    // The frame was estimated before the window manager drew it. Once it is
    // known, a window whose size the estimate got wrong is placed again: one
    // made smaller than designed takes the room there is, and none reaches
    // beyond the desktop. A size given by someone else, the user say, stays.
    if (Event->type() == QEvent::Resize && size() != FPlacedSize)
        FFramePending = false;
    if (FFramePending && (Event->type() == QEvent::Move || Event->type() == QEvent::Resize) &&
        isVisible() && windowHandle() && !windowHandle()->frameMargins().isNull()) {
        FFramePending = false;
        if (const QScreen *screen = this->screen()) {
            const TPlacement place = FirstPlacement(FDesignedSize, windowHandle()->frameMargins(),
                                                    screen->availableGeometry());
            if (place.Size != size())
                PlaceOnDesktop(windowHandle()->frameMargins());
        }
    }
    return QMainWindow::event(Event);
}

void TfrmMain::SetUpViews()
{
    // The form cannot name a menu's separator; the File menu's is N1.
    for (QAction *action : FUi->Datei1->actions()) {
        if (action->isSeparator())
            action->setObjectName(QStringLiteral("N1"));
    }
    for (QMenu *menu : {FUi->Datei1, FUi->Extract1, FUi->Help1}) {
        AssignAccessKeys(menu);
        connect(menu, &QMenu::aboutToShow, this, [menu] { AssignAccessKeys(menu); });
    }
    AssignAccessKeys(FUi->MainMenu1);

    QTreeView *tree = FUi->tvDirectories;
    tree->setModel(FTree);
    FTree->SetImages(imFolders);
    tree->setIconSize(QSize(16, 16));
    tree->viewport()->setAttribute(Qt::WA_Hover);
    HideSelectionWhenUnfocused(tree);

    QTreeView *list = FUi->lvFiles;
    list->setModel(FFiles);
    QHeaderView *header = list->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setMinimumSectionSize(FScale(header->minimumSectionSize()));
    header->resizeSection(0, FScale(FilenameWidth));
    // Every size fits its column, whatever the font's digits are like.
    header->resizeSection(
        1, std::max(FScale(SizeWidth), CellWidthFor(*list, QStringLiteral("4294967295"))));
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The name takes the width the size leaves free, so the size stays in
    // view in a narrow window and no empty strip follows it in a wide one.
    FitFirstColumn(*list, FScale(FilenameMinimumWidth));
    list->setMinimumWidth(FScale(list->minimumWidth()));
    HideSelectionWhenUnfocused(list);

    QSplitter *splitter = FUi->Splitter1;
    splitter->setCollapsible(0, true);
    splitter->setCollapsible(1, false);
    splitter->setHandleWidth(FScale(splitter->handleWidth()));
    splitter->setSizes(
        {FScale(TreeWidth), FScale(ClientWidth) - FScale(TreeWidth) - splitter->handleWidth()});
    connect(splitter, &QSplitter::splitterMoved, this,
            [splitter, snap = FScale(TreeSnapWidth)](int, int) {
                const QList<int> sizes = splitter->sizes();
                if (sizes[0] > 0 && sizes[0] <= snap)
                    splitter->setSizes({0, sizes[0] + sizes[1]});
            });

    for (QWidget *part : std::initializer_list<QWidget *>{FUi->pnExtract, FUi->lbExtract,
                                                          FUi->pbProgress, FUi->btCancel})
        part->setGeometry(FScale(part->geometry()));
    FUi->pnExtract->raise();
    VeskaFolderDialog1->setObjectName(QStringLiteral("VeskaFolderDialog1"));
    VeskaFolderDialog1->SetFlags({TBrowseInfoFlags::OnlyFileSystem, TBrowseInfoFlags::ShowPath});
    qApp->installEventFilter(this);
}

void TfrmMain::ConnectHandlers()
{
    connect(FUi->ffnen1, &QAction::triggered, this, [this] { Guarded([this] { ffnen1Click(); }); });
    connect(FUi->Beenden1, &QAction::triggered, this,
            [this] { Guarded([this] { Beenden1Click(); }); });
    connect(FUi->AboutTrovel1, &QAction::triggered, this,
            [this] { Guarded([this] { AboutTrovel1Click(); }); });
    connect(FUi->Selectedfile1, &QAction::triggered, this,
            [this] { Guarded([this] { Selectedfile1Click(); }); });
    connect(FUi->Allfiles1, &QAction::triggered, this,
            [this] { Guarded([this] { Allfiles1Click(); }); });
    connect(FUi->btCancel, &QPushButton::clicked, this,
            [this] { Guarded([this] { btCancelClick(); }); });
    connect(FUi->tvDirectories->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &Current) {
                Guarded([this, &Current] { tvDirectoriesChange(Current); });
            });
    connect(&FExtractAll, &TExtractAllRun::ProgressShown, this, &TfrmMain::ShowExtractProgress);
}

void TfrmMain::FormCreate()
{
    FArchiveLoaded = false;
    FReader = std::make_unique<TArcReader>();
}

void TfrmMain::FormDestroy()
{
    CloseArchive();
    FReader.reset();
}

void TfrmMain::ShowMessage(const QString &Text)
{
    ShowPlainMessage(FModalSeam, Text);
}

void TfrmMain::CloseIfRequested()
{
    if (FRunning.TakePendingClose())
        close();
}

void TfrmMain::closeEvent(QCloseEvent *Event)
{
    if (FRunning.MayClose()) {
        Event->accept();
        return;
    }
    // The running operation ends first (All files at its next entry); the
    // guard that runs it closes the window when it has returned.
    if (FRunning.Running() == TRunning::ExtractAll)
        FExtractAll.Cancel();
    Event->ignore();
}

bool TfrmMain::IsMenuShortcut(const QKeyEvent &Key) const
{
    const QKeySequence pressed(Key.keyCombination());
    for (const QAction *action : {FUi->ffnen1, FUi->Selectedfile1, FUi->Allfiles1}) {
        if (action->shortcut() == pressed)
            return true;
    }
    return false;
}

bool TfrmMain::eventFilter(QObject *Watched, QEvent *Event)
{
    switch (Event->type()) {
    case QEvent::ShortcutOverride: {
        // Menu shortcuts come before the focused control's own use of the key:
        // Ctrl+A in the file list starts All files instead of selecting rows.
        const auto *widget = qobject_cast<QWidget *>(Watched);
        if (widget && widget->window() == this &&
            IsMenuShortcut(*static_cast<QKeyEvent *>(Event))) {
            Event->ignore();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(Event);
        const auto *widget = qobject_cast<QWidget *>(Watched);
        if (!widget || widget->window() != this)
            break;
        // Esc stops All files as its cancel button does, wherever the focus
        // stands in the window.
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier &&
            FRunning.Running() == TRunning::ExtractAll) {
            Guarded([this] { btCancelClick(); });
            return true;
        }
        // Enter on the list does what a double-click does.
        if (Watched == FUi->lvFiles &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            Guarded([this] { Selectedfile1Click(); });
            return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        // A double-click anywhere in the list, on a row or not.
        if (Watched == FUi->lvFiles->viewport() &&
            static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton) {
            Guarded([this] { Selectedfile1Click(); });
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TfrmMain::UpdateStatus()
{
    QString text = QStringLiteral("%1 files").arg(FReader->GetFileCount());
    // Only a hostile archive nests its folders this deep; its lists would
    // otherwise look empty without a reason.
    if (FTree->HidesLevels())
        text += QStringLiteral(" (") + HiddenLevelsText(FTree->LevelsShown()) + u')';
    FUi->StatusBar1->SetText(text);
}

void TfrmMain::LoadArchive(const std::string &FileName)
{
    CloseArchive();
    FUi->StatusBar1->SetText(QStringLiteral("Reading archive..."));
    FReader->Open(FileName);

    QTreeView *tree = FUi->tvDirectories;
    TFolderNode root = NoFolderNode;
    {
        TUpdateBatch batch(tree);
        // The root is named after the archive's file, without its folder.
        root = FFolderIndex.Build(*FReader, FileName.substr(ExtractFilePath(FileName).size()));
        // The model shows views only as many levels as they can lay out.
        tree->expandAll();
    }

    if (tree->isVisible() && tree->isEnabled() && isEnabled())
        tree->setFocus();
    const QModelIndex rootIndex = FTree->IndexOf(root);
    // The root may have become current while the load let events run; then no
    // change is reported, but its list is complete only now.
    const bool wasCurrent = tree->currentIndex() == rootIndex;
    tree->selectionModel()->setCurrentIndex(rootIndex, QItemSelectionModel::ClearAndSelect);
    if (wasCurrent) {
        tvDirectoriesChange(rootIndex);
        // A change of the current node scrolls to it; this one must be shown
        // too.
        tree->scrollTo(rootIndex);
    }
    UpdateStatus();
    FArchiveLoaded = true;
}

void TfrmMain::CloseArchive()
{
    FArchiveLoaded = false;
    FReader->Close();
    TUpdateBatch batch(FUi->tvDirectories);
    FFolderIndex.Clear();
}

void TfrmMain::tvDirectoriesChange(const QModelIndex &Node)
{
    const TFolderNode node = FTree->NodeAt(Node);
    if (FFolderIndex.Clearing() || node == NoFolderNode)
        return;
    // A node without children counts as collapsed, whatever the view keeps for it.
    const bool expanded = FTree->ChildCount(node) > 0 && FUi->tvDirectories->isExpanded(Node);
    FTree->SetImageIndex(node, expanded ? 0 : 1);

    TUpdateBatch batch(FUi->lvFiles);
    FFiles->Fill(FFolderIndex.RowsOf(node, *FReader));
}

void TfrmMain::ffnen1Click()
{
    // A running load or extraction uses the reader while it lets events run;
    // a load started from there would close the archive under it.
    if (!FRunning.MayOpen())
        return;
    OpenDialog1.SetFilter(QString::fromLatin1(ArchiveFilter));
    if (!OpenDialog1.Execute(this))
        return;
    const auto running = FRunning.Enter(TRunning::Load);
    LoadArchive(PathBytes(OpenDialog1.FileName()));
}

void TfrmMain::Beenden1Click()
{
    close();
}

void TfrmMain::AboutTrovel1Click()
{
    ShowMessage(QString::fromUtf8(AboutText));
}

// While All files runs, its progress reports let events run with the reader
// in the middle of the run; extracting again from there is refused silently.
void TfrmMain::Selectedfile1Click()
{
    if (!FRunning.MayExtract())
        return;
    ExtractSelected();
}

void TfrmMain::Allfiles1Click()
{
    if (!FRunning.MayExtract())
        return;
    ExtractAllFiles();
}

void TfrmMain::btCancelClick()
{
    FExtractAll.Cancel();
}

std::optional<std::int32_t> TfrmMain::SelectedEntry() const
{
    const QModelIndexList rows = FUi->lvFiles->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return FFiles->Row(rows.first().row()).EntryIndex;
}

void TfrmMain::ExtractSelected()
{
    if (!FArchiveLoaded) {
        ShowMessage(QString::fromLatin1(NoArchiveText));
        return;
    }
    const std::optional<std::int32_t> index = SelectedEntry();
    if (!index)
        return;
    const std::string name = FReader->GetFileName(*index);
    SaveDialog1.SetFileName(NameText(FReader->NameCodec(), ExtractArcFileName(name)));
    if (!SaveDialog1.Execute(this))
        return;
    FUi->StatusBar1->SetText(QStringLiteral("Extracting ") + NameText(FReader->NameCodec(), name) +
                             QStringLiteral("..."));
    // No events run until the file is written: the status text, and what the
    // dialog covered, are drawn now.
    DrawNow(this);
    FReader->ExtractFile(*index, PathBytes(SaveDialog1.FileName()));
    SaveDialog1.RememberFolder();
    UpdateStatus();
}

bool TfrmMain::ExtractProgress(TArcReader &, const std::string &Name)
{
    return FExtractAll.Report(Name);
}

void TfrmMain::ExtractAllFiles()
{
    if (!FArchiveLoaded) {
        ShowMessage(QString::fromLatin1(NoArchiveText));
        return;
    }
    if (!ExecuteFolderDialog() || VeskaFolderDialog1->Folder().isEmpty())
        return;
    const std::string folder = PathBytes(VeskaFolderDialog1->Folder());
    if (!AllFilesMayRun(folder))
        return;

    const auto running = FRunning.Enter(TRunning::ExtractAll);
    ShowExtractPanel();
    // However the run ends, the panel is gone before a failure reaches the
    // error display.
    const auto hidePanel = qScopeGuard([this] { FUi->pnExtract->hide(); });
    FReader->SetOnProgress([this](TArcReader &Sender, const std::string &Name) {
        return ExtractProgress(Sender, Name);
    });
    FExtractAll.Run([this, &folder] { FReader->ExtractAll(folder); });
}

bool TfrmMain::AllFilesMayRun(const std::string &Folder)
{
    try {
        const TRunCheck check(*FReader);
        const std::vector<std::int32_t> entries = check.AllEntries();
        check.CheckRoom(entries, Folder);
        check.CheckSharedData(entries);
    } catch (const ERunRefused &refusal) {
        // The refusal reads as a sentence of the window's own.
        QString text = QString::fromUtf8(refusal.Message());
        if (!text.isEmpty())
            text[0] = text[0].toUpper();
        ShowMessage(text);
        return false;
    }
    return true;
}

bool TfrmMain::ExecuteFolderDialog()
{
    return FModalSeam.Run(*VeskaFolderDialog1,
                          [this] { return int(VeskaFolderDialog1->Execute()); }) != 0;
}

void TfrmMain::ShowExtractPanel()
{
    FUi->lbExtract->clear();
    QProgressBar *bar = FUi->pbProgress;
    bar->setMinimum(0);
    bar->setMaximum(FReader->GetFileCount());
    bar->setValue(0);
    // Centred on the window's outer size, title bar and borders included, and
    // placed in client coordinates: a little right of and below the middle.
    QWidget *panel = FUi->pnExtract;
    panel->resize(panel->width(), FScale(ExtractPanelHeight));
    panel->move(CentredPosition(frameGeometry().size(), panel->size()));
    panel->show();
}

void TfrmMain::ShowExtractProgress(int Position, const std::string &Name)
{
    // A long name keeps its end, the file's own name, in the label's width.
    QLabel *label = FUi->lbExtract;
    label->setText(ElidedEntryName(NameText(FReader->NameCodec(), Name), label->fontMetrics(),
                                   label->contentsRect().width()));
    FUi->pbProgress->setValue(std::min(Position, FUi->pbProgress->maximum()));
}

} // namespace trovel
