#pragma once

#include <QProxyStyle>

namespace trovel {

// The look of the folder tree in whatever style the application runs with:
// dotted lines join every node to its parent and its siblings, the top-level
// nodes included; expand buttons are boxes with "+" or "-"; the node under the
// mouse pointer is hot-tracked, its text underlined in the link colour. Every
// other element is the base style's.
class TTreeStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    // A new instance of the application's style as the base.
    TTreeStyle();
    // Takes ownership of Base.
    explicit TTreeStyle(QStyle *Base);

    void drawPrimitive(PrimitiveElement Element, const QStyleOption *Option, QPainter *Painter,
                       const QWidget *Widget = nullptr) const override;
    void drawControl(ControlElement Element, const QStyleOption *Option, QPainter *Painter,
                     const QWidget *Widget = nullptr) const override;

private:
    void DrawBranch(const QStyleOption &Option, QPainter &Painter, const QWidget *Widget) const;
};

} // namespace trovel
