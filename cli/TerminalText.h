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

// What the terminal's platform provides, in a file of its own per platform
// (TerminalPosix.cpp, TerminalWin.cpp).

// Whether what goes to the stream must be escaped: it is a terminal.
bool IsTerminal(int Fd);
// The columns of the terminal Fd; none when it does not tell.
int TerminalColumns(int Fd);

// The character at the start of Text (not empty), in the terminal's
// character set: the current locale's on POSIX, UTF-8 on Windows, whose
// console the program switches to UTF-8.
struct TTerminalChar
{
    std::size_t Length = 0; // 0: no valid character starts here
    char32_t Code = 0;
    bool Printable = false;
    int Columns = 0; // on the screen; only for a printable character
};
TTerminalChar TerminalCharAt(std::string_view Text);

// Whether a character shows on a terminal as itself: printable, and no format
// character or separator of the kinds above.
bool ShowsAsItself(const TTerminalChar &Character);

} // namespace trovel
