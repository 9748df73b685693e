#pragma once

#include <QLocale>
#include <QString>

namespace trovel {

// The language key of a locale as the caption lists name it: the Windows
// language identifier in 4 upper-case hexadecimal digits ("0407" for German
// (Germany)). A locale without a known identifier gives "0000", a key that no
// caption list names, so its captions come from the "Default" lines.
QString LanguageKeyOf(const QLocale &Locale);

} // namespace trovel
