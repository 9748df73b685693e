#include "TerminalText.h"

#include <cwchar>
#include <cwctype>
#include <sys/ioctl.h>
#include <unistd.h>

namespace trovel {

bool IsTerminal(int Fd)
{
    return ::isatty(Fd) == 1;
}

int TerminalColumns(int Fd)
{
    winsize size{};
    if (::ioctl(Fd, TIOCGWINSZ, &size) == 0)
        return size.ws_col;
    return 0;
}

TTerminalChar TerminalCharAt(std::string_view Text)
{
    // Each character from a fresh state: a terminal's character set keeps
    // none between characters, and an invalid byte starts afresh after it.
    std::mbstate_t state{};
    wchar_t wide = 0;
    const std::size_t length = std::mbrtowc(&wide, Text.data(), Text.size(), &state);
    if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2) ||
        length == 0)
        return {};
    TTerminalChar character;
    character.Length = length;
    character.Code = static_cast<char32_t>(wide);
    character.Printable = std::iswprint(static_cast<wint_t>(wide)) != 0;
    character.Columns = character.Printable ? ::wcwidth(wide) : 0;
    return character;
}

} // namespace trovel
