#pragma once

#include <QFont>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace trovel {

// The window's sizes and positions are designed at 96 pixels per inch in a
// font with a line height of 13 pixels. In a font of another line height each
// of them is scaled by the new line height over 13, to the nearest pixel.
class TDesignScale final
{
public:
    static constexpr int DesignLineHeight = 13;

    explicit TDesignScale(int LineHeight = DesignLineHeight) : FLineHeight(LineHeight) {}
    // The scale of a window whose font is Font.
    static TDesignScale ForFont(const QFont &Font);

    int LineHeight() const { return FLineHeight; }
    int operator()(int DesignPixels) const;
    QSize operator()(const QSize &Design) const;
    // Position and size each scaled on their own, as the controls of a form.
    QRect operator()(const QRect &Design) const;

private:
    int FLineHeight;
};

// Font as a window created on a screen of PixelsPerInch shows it: a size in
// pixels is scaled by PixelsPerInch over 96; a size in points is turned into
// pixels with the screen's resolution already.
QFont ScreenFont(QFont Font, qreal PixelsPerInch);

// The width of a cell of View that shows Text without cutting it off.
int CellWidthFor(const QWidget &View, const QString &Text);

// Where a window first appears on a desktop: its frame's top-left corner and
// the size inside the frame.
struct TPlacement
{
    QPoint FramePosition;
    QSize Size;

    friend bool operator==(const TPlacement &, const TPlacement &) = default;
};

// A window of the Designed size inside a frame of Frame, centred on Desktop.
// Where the desktop leaves less room, the window is made smaller in both
// directions by the same factor, so that the whole frame stays on the desktop
// and the window keeps the design's proportions.
TPlacement FirstPlacement(const QSize &Designed, const QMargins &Frame, const QRect &Desktop);

// The frame that the window manager will give Window, known before it is
// shown: that of a window of the program already framed, else a title bar and
// borders as the style draws them.
QMargins EstimatedFrame(const QWidget &Window);

} // namespace trovel
