#pragma once

#include <QIcon>
#include <QList>

class QAbstractItemView;
class QFontMetrics;
class QString;
class QTreeView;
class QWidget;

namespace trovel {

// Suspends drawing of a widget for the life of the object. Batches nest: the
// widget draws again when the outermost one ends.
class TUpdateBatch final
{
public:
    explicit TUpdateBatch(QWidget *Widget);
    ~TUpdateBatch();
    TUpdateBatch(const TUpdateBatch &) = delete;
    TUpdateBatch &operator=(const TUpdateBatch &) = delete;

private:
    QWidget *FWidget;
    bool FWasEnabled;
};

// Draws Widget and everything in it now, without letting events run. Widgets
// that were not marked for drawing themselves, such as the viewports of item
// views, are drawn too.
void DrawNow(QWidget *Widget);

// The view draws its selection only while it has the keyboard focus.
void HideSelectionWhenUnfocused(QAbstractItemView *View);

// The folder images of the tree, 16 x 16: image 0 the open folder, image 1 the
// closed one. Each icon shows the open folder while its node is selected.
QList<QIcon> FolderImages();

// The first column of View takes the width that the others leave free in the
// view, so the last one ends at the view's right edge. A column widened by the
// user leaves the first at least Minimum pixels.
void FitFirstColumn(QTreeView &View, int Minimum);

// An entry name ("data/textures/.../oak_bark.tex") as it fits in Width pixels
// of Metrics' font: whole when it fits; else the file's own name after an
// ellipsis, with as many whole leading folders before it as fit; else cut in
// the middle.
QString ElidedEntryName(const QString &Name, const QFontMetrics &Metrics, int Width);

} // namespace trovel
