#pragma once

#include <QPoint>
#include <QSize>

namespace trovel {

// Where a box of size Inner stands when it is centred on Outer: each half of
// the difference, truncated toward zero (so a box larger than Outer stands at
// a negative position).
inline QPoint CentredPosition(const QSize &Outer, const QSize &Inner)
{
    // Integer division in C++ truncates toward zero.
    return QPoint((Outer.width() - Inner.width()) / 2, (Outer.height() - Inner.height()) / 2);
}

} // namespace trovel
