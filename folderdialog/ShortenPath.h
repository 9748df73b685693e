#pragma once

#include <QChar>
#include <QString>

namespace trovel {

// Shortens Path to at most MaxLen characters for a one-line display: the head
// (drive, or server name, or the first folder below "/") is kept, then "...",
// then as many whole trailing folder names as fit. A path that cannot be
// shortened that way is cut.
//
// With "\" as Separator a path that starts with a separator within its first
// two characters gets the head "\\" (the server form); with "/" a leading "/"
// stays the single start of the head.
QString ShortenPath(const QString &Path, int MaxLen, QChar Separator);

} // namespace trovel
