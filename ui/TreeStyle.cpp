#include "TreeStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionViewItem>

namespace trovel {

namespace {

// The expand button's box, in pixels.
constexpr int ButtonSize = 9;

// The top row of the whole tree has nothing above it to join.
bool IsTopRow(const QStyleOption &Option, const QWidget *Widget)
{
    const auto *view = qobject_cast<const QAbstractItemView *>(Widget);
    return view && view->verticalScrollBar()->value() == 0 && Option.rect.top() == 0;
}

} // namespace

TTreeStyle::TTreeStyle() : TTreeStyle(QStyleFactory::create(QApplication::style()->name())) {}

TTreeStyle::TTreeStyle(QStyle *Base) : QProxyStyle(Base) {}

void TTreeStyle::drawPrimitive(PrimitiveElement Element, const QStyleOption *Option,
                               QPainter *Painter, const QWidget *Widget) const
{
    if (Element == PE_IndicatorBranch)
        DrawBranch(*Option, *Painter, Widget);
    else
        QProxyStyle::drawPrimitive(Element, Option, Painter, Widget);
}

// One indentation column of a row. In the column of the row's own node
// (State_Item) a line runs from the middle to the node, up to its parent or
// the sibling above, and down when a sibling follows (State_Sibling); in the
// column of an ancestor a line runs through when the ancestor has a sibling
// further down.
void TTreeStyle::DrawBranch(const QStyleOption &Option, QPainter &Painter,
                            const QWidget *Widget) const
{
    const QRect &area = Option.rect;
    const int midX = area.left() + area.width() / 2;
    const int midY = area.top() + area.height() / 2;
    const bool item = Option.state & State_Item;
    const bool sibling = Option.state & State_Sibling;
    const bool button = item && (Option.state & State_Children);
    // Lines stop at the button's edge.
    const int gap = button ? ButtonSize / 2 + 1 : 0;

    const QBrush dots(Option.palette.color(QPalette::Dark), Qt::Dense4Pattern);
    if (item) {
        Painter.fillRect(QRect(QPoint(midX + gap, midY), QPoint(area.right(), midY)), dots);
        if (!IsTopRow(Option, Widget))
            Painter.fillRect(QRect(QPoint(midX, area.top()), QPoint(midX, midY - gap)), dots);
    }
    if (sibling) {
        const int from = item ? midY + gap : area.top();
        Painter.fillRect(QRect(QPoint(midX, from), QPoint(midX, area.bottom())), dots);
    }
    if (!button)
        return;

    const QRect box(midX - ButtonSize / 2, midY - ButtonSize / 2, ButtonSize, ButtonSize);
    Painter.save();
    Painter.fillRect(box, Option.palette.color(QPalette::Base));
    Painter.setPen(Option.palette.color(QPalette::Dark));
    Painter.drawRect(box.adjusted(0, 0, -1, -1));
    Painter.setPen(Option.palette.color(QPalette::Text));
    Painter.drawLine(box.left() + 2, midY, box.right() - 2, midY);
    if (!(Option.state & State_Open))
        Painter.drawLine(midX, box.top() + 2, midX, box.bottom() - 2);
    Painter.restore();
}

void TTreeStyle::drawControl(ControlElement Element, const QStyleOption *Option, QPainter *Painter,
                             const QWidget *Widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(Option);
    if (Element != CE_ItemViewItem || !item || !(item->state & State_MouseOver)) {
        QProxyStyle::drawControl(Element, Option, Painter, Widget);
        return;
    }
    QStyleOptionViewItem hot(*item);
    hot.font.setUnderline(true);
    if (!(hot.state & State_Selected)) {
        for (auto group : {QPalette::Active, QPalette::Inactive})
            hot.palette.setColor(group, QPalette::Text, hot.palette.color(group, QPalette::Link));
    }
    QProxyStyle::drawControl(Element, &hot, Painter, Widget);
}

} // namespace trovel
