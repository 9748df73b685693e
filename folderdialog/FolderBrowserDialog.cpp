#include "FolderBrowserDialog.h"

#include "FolderPlacesModel.h"
#include "NewFolderButtonLayout.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
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

    const QList<TFolderPlace> places =
        Info.Root ? QList<TFolderPlace>{FolderPlace(*Info.Root)} : DesktopPlaces();
    FModel = new TFolderPlacesModel(places, this);

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

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    FButtons = buttons;
    FOkButton = buttons->button(QDialogButtonBox::Ok);
    FOkButton->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // OK and Cancel stand in the row where clients put buttons of their own
    // near the bottom-left corner (NewFolderButtonRect), as high as those, so
    // that all of them share one baseline.
    const QRect row = NewFolderButtonRect(qRound(screen()->logicalDotsPerInch()), 0,
                                          style()->pixelMetric(QStyle::PM_TitleBarHeight));
    for (QAbstractButton *button : buttons->buttons())
        button->setFixedHeight(row.height());
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, -row.top() - row.height());
    column->addWidget(FTitle);
    column->addWidget(FStatus);
    column->addWidget(FTree, 1);
    column->addWidget(buttons);

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
        const QModelIndex home = FModel->IndexOf(QDir::homePath());
        Select(home.isValid() ? home : FModel->index(0, 0));
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
    for (QModelIndex parent = Index.parent(); parent.isValid(); parent = parent.parent())
        FTree->expand(parent);
    FTree->setCurrentIndex(Index);
    if (isVisible())
        ScrollToCurrent();
}

void TFolderBrowserDialog::ScrollToCurrent()
{
    const QModelIndex current = FTree->currentIndex();
    if (!current.isValid())
        return;
    FTree->scrollTo(current, QAbstractItemView::PositionAtCenter);
    // Sideways the view stays at its left edge, where every row begins: a
    // deep row scrolled to would cut off the names, arrows and icons of all
    // the others.
    FTree->horizontalScrollBar()->setValue(0);
}

void TFolderBrowserDialog::PutClientWidgetsInTabOrder()
{
    QWidget *previous = FTree;
    const QObjectList parts = children();
    for (QObject *child : parts) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget == FTitle || widget == FStatus || widget == FTree ||
            widget == FButtons || widget->isWindow() || !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        setTabOrder(previous, widget);
        previous = widget;
    }
}

void TFolderBrowserDialog::CurrentChanged(const QModelIndex &Current)
{
    if (!Current.isValid() || !FCallback)
        return;
    const TBrowseItem item = ItemAt(Current);
    FCallback(*this, TBrowseMessage::SelectionChanged, &item);
}

} // namespace trovel
