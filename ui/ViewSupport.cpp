#include "ViewSupport.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPixmap>
#include <QTreeView>
#include <QWidget>

namespace trovel {

TUpdateBatch::TUpdateBatch(QWidget *Widget) : FWidget(Widget), FWasEnabled(Widget->updatesEnabled())
{
    FWidget->setUpdatesEnabled(false);
}

TUpdateBatch::~TUpdateBatch()
{
    FWidget->setUpdatesEnabled(FWasEnabled);
}

void DrawNow(QWidget *Widget)
{
    // A repaint alone leaves out opaque children that are not marked.
    for (QWidget *child : Widget->findChildren<QWidget *>())
        child->update();
    Widget->repaint();
}

namespace {

// Draws the selection in the colours of unselected text while the view has no
// focus, and in the normal colours while it has.
class TSelectionHider final : public QObject
{
public:
    explicit TSelectionHider(QAbstractItemView *View) : QObject(View), FView(View)
    {
        View->installEventFilter(this);
        Apply();
    }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Watched == FView &&
            (Event->type() == QEvent::FocusIn || Event->type() == QEvent::FocusOut))
            Apply();
        return false;
    }

private:
    void Apply()
    {
        QPalette palette =
            FView->parentWidget() ? FView->parentWidget()->palette() : FView->palette();
        if (!FView->hasFocus()) {
            for (auto group : {QPalette::Active, QPalette::Inactive}) {
                palette.setBrush(group, QPalette::Highlight, palette.brush(group, QPalette::Base));
                palette.setBrush(group, QPalette::HighlightedText,
                                 palette.brush(group, QPalette::Text));
            }
        }
        FView->setPalette(palette);
    }

    QAbstractItemView *FView;
};

} // namespace

void HideSelectionWhenUnfocused(QAbstractItemView *View)
{
    new TSelectionHider(View);
}

QList<QIcon> FolderImages()
{
    // The pictures at 1x, 2x and 3x, drawn from the same pixel grid: a view
    // takes the one its screen's pixel ratio asks for instead of a 16-pixel
    // picture scaled up and blurred.
    const auto picture = [](const char *Name, int Size) {
        const QString file =
            Size == 16 ? QStringLiteral(":/art/%1.png").arg(QLatin1String(Name))
                       : QStringLiteral(":/art/%1-%2.png").arg(QLatin1String(Name)).arg(Size);
        return QPixmap(file);
    };
    QIcon openIcon;
    QIcon closedIcon;
    for (const int size : {16, 32, 48}) {
        const QPixmap open = picture("folder-open", size);
        openIcon.addPixmap(open, QIcon::Normal);
        openIcon.addPixmap(open, QIcon::Selected);
        closedIcon.addPixmap(picture("folder-closed", size), QIcon::Normal);
        closedIcon.addPixmap(open, QIcon::Selected);
    }
    return {openIcon, closedIcon};
}

void FitFirstColumn(QTreeView &View, int Minimum)
{
    QHeaderView *header = View.header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    QObject::connect(header, &QHeaderView::sectionResized, &View,
                     [&View, header, Minimum](int Section, int, int NewSize) {
                         if (Section == 0)
                             return;
                         int others = 0;
                         for (int section = 1; section < header->count(); ++section)
                             others += header->sectionSize(section);
                         const int room = View.viewport()->width() - Minimum - (others - NewSize);
                         if (NewSize > room && room >= header->minimumSectionSize())
                             header->resizeSection(Section, room);
                     });
}

QString ElidedEntryName(const QString &Name, const QFontMetrics &Metrics, int Width)
{
    if (Metrics.horizontalAdvance(Name) <= Width)
        return Name;
    const qsizetype lastSlash = Name.lastIndexOf(u'/');
    if (lastSlash >= 0) {
        const QString tail = QChar(0x2026) + Name.mid(lastSlash);
        if (Metrics.horizontalAdvance(tail) <= Width) {
            QString head;
            for (qsizetype slash = Name.indexOf(u'/'); slash >= 0 && slash < lastSlash;
                 slash = Name.indexOf(u'/', slash + 1)) {
                const QString folders = Name.left(slash + 1);
                if (Metrics.horizontalAdvance(folders + tail) > Width)
                    break;
                head = folders;
            }
            return head + tail;
        }
    }
    return Metrics.elidedText(Name, Qt::ElideMiddle, Width);
}

} // namespace trovel
