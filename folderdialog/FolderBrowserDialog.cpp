#include "FolderBrowserDialog.h"

#include "FolderPlacesModel.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace trovel {

namespace {

// The dialog's size at 96 pixels per inch, and its smallest size: it only
// grows, so that the widgets a client places near its bottom-left corner keep
// clear of OK and Cancel.
constexpr QSize BaseSize(320, 380);

QSize ScaledBaseSize(const QWidget &Dialog)
{
    return (QSizeF(BaseSize) * (Dialog.screen()->logicalDotsPerInch() / 96.0)).toSize();
}

} // namespace

TFolderBrowserDialog::TFolderBrowserDialog(const TBrowseInfo &Info)
    : TBrowserWindow(Info.Owner), FCallback(Info.Callback)
{
    setObjectName(QStringLiteral("folderBrowser"));
    setWindowTitle(Info.WindowTitle);
    setSizeGripEnabled(true);

    FTitle = new QLabel(Info.Title, this);
    FTitle->setObjectName(QStringLiteral("titleLabel"));
    FTitle->setTextFormat(Qt::PlainText);
    FTitle->setWordWrap(true);

    // Folder names are plain text, and a shortened path breaks after its
    // separators. Two lines are kept free so the tree does not jump.
    FStatus = new QLabel(this);
    FStatus->setObjectName(QStringLiteral("statusText"));
    FStatus->setTextFormat(Qt::PlainText);
    FStatus->setWordWrap(true);
    FStatus->setMinimumHeight(2 * FStatus->fontMetrics().lineSpacing());
    FStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FStatus->setVisible((Info.Flags & bifStatusText) != 0);

    const QList<TFolderPlace> Places =
        Info.Root ? QList<TFolderPlace>{FolderPlace(*Info.Root)} : DesktopPlaces();
    FModel = new TFolderPlacesModel(Places, this);

    FTree = new QTreeView(this);
    FTree->setObjectName(QStringLiteral("folderTree"));
    FTree->setModel(FModel);
    FTree->setHeaderHidden(true);
    // One column as wide as its widest name, and at least as wide as the
    // view: long and deep names scroll sideways instead of being elided.
    FTree->header()->setStretchLastSection(false);
    FTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    FTree->viewport()->installEventFilter(this);
    FTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTree->setSelectionMode(QAbstractItemView::SingleSelection);
    if (Info.Root)
        FTree->expand(FModel->index(0, 0));
    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFolderBrowserDialog::CurrentChanged);

    auto *Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    FButtons = Buttons;
    FOkButton = Buttons->button(QDialogButtonBox::Ok);
    FOkButton->setObjectName(QStringLiteral("okButton"));
    Buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(12, 12, 12, 13);
    Layout->addWidget(FTitle);
    Layout->addWidget(FStatus);
    Layout->addWidget(FTree, 1);
    Layout->addWidget(Buttons);

    resize(ScaledBaseSize(*this));
    KeepTextsReadable();
}

TFolderBrowserDialog::~TFolderBrowserDialog() = default;

std::optional<TBrowseItem> TFolderBrowserDialog::Run()
{
    if (FCallback)
        FCallback(*this, TBrowseMessage::Initialized, nullptr);
    PutClientWidgetsInTabOrder();
    if (!FTree->currentIndex().isValid()) {
        const QModelIndex Home = FModel->IndexOf(QDir::homePath());
        Select(Home.isValid() ? Home : FModel->index(0, 0));
    }
    if (exec() != QDialog::Accepted || !FTree->currentIndex().isValid())
        return std::nullopt;
    return ItemAt(FTree->currentIndex());
}

void TFolderBrowserDialog::SetStatusText(const QString &Text, const QString &ToolTip)
{
    FStatus->setText(Text);
    FStatus->setToolTip(ToolTip);
    KeepTextsReadable();
}

void TFolderBrowserDialog::EnableOk(bool Enable)
{
    FOkButton->setEnabled(Enable);
}

void TFolderBrowserDialog::SetSelection(const QString &Path)
{
    Select(FModel->IndexOf(Path));
}

void TFolderBrowserDialog::SetSelection(const TBrowseItem &Item)
{
    SetSelection(Item.Path);
}

void TFolderBrowserDialog::Cancel()
{
    reject();
}

bool TFolderBrowserDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FTree->viewport() && Event->type() == QEvent::Resize)
        FTree->header()->setMinimumSectionSize(FTree->viewport()->width());
    return TBrowserWindow::eventFilter(Watched, Event);
}

void TFolderBrowserDialog::showEvent(QShowEvent *Event)
{
    TBrowserWindow::showEvent(Event);
    // Before the dialog is shown the tree has no size of its own to scroll.
    ScrollToCurrent();
}

TBrowseItem TFolderBrowserDialog::ItemAt(const QModelIndex &Index) const
{
    return TBrowseItem::FromPath(FModel->PathOf(Index));
}

void TFolderBrowserDialog::KeepTextsReadable()
{
    // A word wider than the dialog (a long folder name in the status line)
    // widens it; the labels wrap everything else.
    setMinimumSize(ScaledBaseSize(*this).expandedTo(layout()->totalMinimumSize()));
}

void TFolderBrowserDialog::Select(const QModelIndex &Index)
{
    if (!Index.isValid())
        return;
    for (QModelIndex Parent = Index.parent(); Parent.isValid(); Parent = Parent.parent())
        FTree->expand(Parent);
    FTree->setCurrentIndex(Index);
    if (isVisible())
        ScrollToCurrent();
}

void TFolderBrowserDialog::ScrollToCurrent()
{
    const QModelIndex Current = FTree->currentIndex();
    if (!Current.isValid())
        return;
    FTree->scrollTo(Current, QAbstractItemView::PositionAtCenter);
    // Sideways, the item's start stays in view and as much of its name as fits.
    QScrollBar *Bar = FTree->horizontalScrollBar();
    Bar->setValue(0);
    const QRect Item = FTree->visualRect(Current);
    const int Width = FTree->viewport()->width();
    if (Item.right() > Width)
        Bar->setValue(qMin(Item.left(), Item.right() - Width));
}

void TFolderBrowserDialog::PutClientWidgetsInTabOrder()
{
    QWidget *Previous = FTree;
    const QObjectList Children = children();
    for (QObject *Child : Children) {
        auto *Widget = qobject_cast<QWidget *>(Child);
        if (!Widget || Widget == FTitle || Widget == FStatus || Widget == FTree ||
            Widget == FButtons || Widget->isWindow() || !(Widget->focusPolicy() & Qt::TabFocus))
            continue;
        setTabOrder(Previous, Widget);
        Previous = Widget;
    }
}

void TFolderBrowserDialog::CurrentChanged(const QModelIndex &Current)
{
    if (!Current.isValid() || !FCallback)
        return;
    const TBrowseItem Item = ItemAt(Current);
    FCallback(*this, TBrowseMessage::SelectionChanged, &Item);
}

} // namespace trovel
