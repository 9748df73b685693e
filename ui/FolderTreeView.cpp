#include "FolderTreeView.h"

#include "TreeStyle.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace trovel {

namespace {

// The column is fitted to the rows in sight and the nearest others, up to
// this many rows: measuring a row's text takes some microseconds.
constexpr int RowsFitted = 250;

} // namespace

TFolderTreeView::TFolderTreeView(QWidget *Parent) : QTreeView(Parent)
{
    auto *style = new TTreeStyle();
    style->setParent(this);
    setStyle(style);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The view fits the column itself (see updateGeometries); the header's
    // own fitting would also run while a load lets events run.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setResizeContentsPrecision(RowsFitted);
    // Rows that come into sight may lie deeper than those the column was
    // last fitted to.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { updateGeometries(); });
}

// Called whenever rows are laid out anew (nodes expanded or collapsed, a
// model reset) or the view changes size.
void TFolderTreeView::updateGeometries()
{
    // Not while the view does not draw, as while a load fills the tree.
    if (updatesEnabled() && !FFitting) {
        FFitting = true;
        resizeColumnToContents(0);
        FFitting = false;
    }
    QTreeView::updateGeometries();
}

int TFolderTreeView::sizeHintForColumn(int Column) const
{
    int width = QTreeView::sizeHintForColumn(Column);
    // Qt's measure leaves out a row cut by the bottom edge, which is where the
    // deepest node stands after End.
    const int bottom = viewport()->height();
    for (QModelIndex row = indexAt(QPoint(0, 0)); row.isValid(); row = indexBelow(row)) {
        const QRect cell = visualRect(row.siblingAtColumn(Column));
        if (cell.top() >= bottom)
            break;
        width = std::max(width, cell.left() - columnViewportPosition(Column) +
                                    sizeHintForIndex(row.siblingAtColumn(Column)).width());
    }
    return width;
}

void TFolderTreeView::scrollTo(const QModelIndex &Index, ScrollHint Hint)
{
    QScrollBar *across = horizontalScrollBar();
    const int kept = across->value();
    // Qt's scroll moves to the column's left edge whenever the column is wider
    // than the view; only its vertical part is wanted here.
    QTreeView::scrollTo(Index, Hint);
    updateGeometries();
    across->setValue(kept);

    const QRect cell = visualRect(Index);
    if (!cell.isValid())
        return;
    // In viewport coordinates, at the offset kept (or the nearest one left).
    const int offset = across->value();
    const int left = cell.left() - indentation();
    const int right = cell.left() + sizeHintForIndex(Index).width();
    const int width = viewport()->width();
    if (left < 0 || right - left > width)
        across->setValue(offset + left);
    else if (right > width)
        across->setValue(offset + right - width);
}

} // namespace trovel
