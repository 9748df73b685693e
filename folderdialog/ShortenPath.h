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

// Path as desktops write it: the home folder Home as "~", a path below it as
// "~/" and the rest. Other paths, and every path when Home is "/", unchanged.
QString WithHomeAsTilde(const QString &Path, const QString &Home);

// Path shortened to MaxLen for a status line, as the platform's users read
// paths: on POSIX with the home folder as "~"; on Windows, which knows no
// "~", with its own separators.
QString StatusPath(const QString &Path, int MaxLen);

} // namespace trovel
