#pragma once

#include <QStringList>
#include <QTranslator>

class QWidget;

namespace trovel {

// Gives every caption without an access key ("&" before a character) the first
// letter or digit of its own that no other caption of the same menu uses,
// compared in upper case. Separators ("-" or empty) are left alone, and so is a
// caption none of whose characters is free.
QStringList WithAccessKeys(const QStringList &Captions);
// The same for the actions of a menu or a menu bar.
void AssignAccessKeys(QWidget *Menu);

// Spells the Ctrl modifier of shortcut texts "Strg": Qt looks its key names up
// in the "QShortcut" translation context.
class TShortcutTexts final : public QTranslator
{
    Q_OBJECT

public:
    using QTranslator::QTranslator;

    QString translate(const char *Context, const char *SourceText, const char *Disambiguation,
                      int Count) const override;
    bool isEmpty() const override { return false; }
};

} // namespace trovel
