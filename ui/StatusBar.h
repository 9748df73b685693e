#pragma once

#include <QStatusBar>

class QLabel;

namespace trovel {

// A status bar that shows one text. The text lives in a permanent widget, so
// the hints that menus show in the status bar never replace it.
class TStatusBar final : public QStatusBar
{
    Q_OBJECT

public:
    explicit TStatusBar(QWidget *Parent = nullptr);
    Q_DISABLE_COPY_MOVE(TStatusBar)

    QString Text() const;
    void SetText(const QString &Text);

signals:
    // Every text set, in order, also when it equals the one shown.
    void TextChanged(const QString &Text);

private:
    QLabel *FText;
};

} // namespace trovel
