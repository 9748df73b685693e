#include "DesignScale.h"

#include <QFontMetrics>
#include <QStyle>
#include <QWidget>

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

} // namespace trovel
