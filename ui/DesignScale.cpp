#include "DesignScale.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace trovel {

TDesignScale TDesignScale::ForFont(const QFont &Font)
{
    return TDesignScale(QFontMetrics(Font).height());
}

int TDesignScale::operator()(int DesignPixels) const
{
    return qRound(double(DesignPixels) * FLineHeight / DesignLineHeight);
}

QSize TDesignScale::operator()(const QSize &Design) const
{
    return QSize((*this)(Design.width()), (*this)(Design.height()));
}

QRect TDesignScale::operator()(const QRect &Design) const
{
    return QRect((*this)(Design.x()), (*this)(Design.y()), (*this)(Design.width()),
                 (*this)(Design.height()));
}

QFont ScreenFont(QFont Font, qreal PixelsPerInch)
{
    if (Font.pixelSize() > 0)
        Font.setPixelSize(qRound(Font.pixelSize() * PixelsPerInch / 96));
    return Font;
}

int CellWidthFor(const QWidget &View, const QString &Text)
{
    // The margin that item views keep on either side of a cell's text.
    const int margin = View.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &View) + 1;
    return View.fontMetrics().horizontalAdvance(Text) + 2 * margin;
}

TPlacement FirstPlacement(const QSize &Designed, const QMargins &Frame, const QRect &Desktop)
{
    const QSize room = Desktop.size().shrunkBy(Frame);
    QSize size = Designed;
    if (!Designed.isEmpty() && !room.isEmpty() &&
        (Designed.width() > room.width() || Designed.height() > room.height())) {
        const double factor = std::min(double(room.width()) / Designed.width(),
                                       double(room.height()) / Designed.height());
        size = QSize(std::min(room.width(), int(std::floor(Designed.width() * factor))),
                     std::min(room.height(), int(std::floor(Designed.height() * factor))));
    }
    const QSize outer = size.grownBy(Frame);
    // Halved toward the desktop's top-left corner, which keeps the title bar
    // on it whatever happens.
    const QPoint offset(std::max(0, (Desktop.width() - outer.width()) / 2),
                        std::max(0, (Desktop.height() - outer.height()) / 2));
    return {Desktop.topLeft() + offset, size};
}

QMargins EstimatedFrame(const QWidget &Window)
{
    for (const QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && !window->frameMargins().isNull())
            return window->frameMargins();
    }
    const QStyle *style = Window.style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &Window);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &Window);
    return QMargins(border, title + border, border, border);
}

} // namespace trovel
