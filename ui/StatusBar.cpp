#include "StatusBar.h"

#include <QLabel>

namespace trovel {

TStatusBar::TStatusBar(QWidget *Parent) : QStatusBar(Parent), FText(new QLabel(this))
{
    FText->setObjectName(QStringLiteral("StatusText"));
    FText->setTextFormat(Qt::PlainText);
    // Ignored horizontally, so a long text is cut instead of widening the window.
    FText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addPermanentWidget(FText, 1);
}

QString TStatusBar::Text() const
{
    return FText->text();
}

void TStatusBar::SetText(const QString &Text)
{
    FText->setText(Text);
    emit TextChanged(Text);
}

} // namespace trovel
