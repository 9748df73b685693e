#pragma once

#include <string>
#include <string_view>

namespace trovel {

// Entry names come from the archive, so on a terminal they must not be able
// to move the cursor, clear the screen or talk to the terminal, nor hide or
// reorder what they show: control characters, and bytes that are no
// printable character of the current locale, are spelt as escapes ("\t",
// "\n", "\r", "\e", "\xNN"); Unicode's format characters (general category
// Cf, the soft hyphen included) and the line and paragraph separators as
// "\u202E"; the backslash as "\\". Everything else is appended as it stands.
void AppendEscaped(std::string_view Text, std::string &Out);
std::string Escaped(std::string_view Text);

// Whether a character of the current locale shows on a terminal as itself:
// printable, and no format character or separator of the kinds above.
bool ShowsAsItself(wchar_t Character);

// Whether what goes to the stream must be escaped: it is a terminal.
bool IsTerminal(int Fd);

} // namespace trovel
