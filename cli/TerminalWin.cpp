#include "TerminalText.h"

#include <windows.h>

#include <io.h>

namespace trovel {

namespace {

HANDLE ConsoleOf(int Fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(Fd));
}

// The code point of the well-formed UTF-8 sequence at the start of Text and
// its length; length 0 when none starts there.
std::size_t DecodeUtf8(std::string_view Text, char32_t &Code)
{
    const auto lead = static_cast<unsigned char>(Text[0]);
    if (lead < 0x80) {
        Code = lead;
        return 1;
    }
    if (lead < 0xC2 || lead > 0xF4)
        return 0;
    const std::size_t trailing = lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    if (Text.size() <= trailing)
        return 0;
    Code = lead & (0x3F >> trailing);
    for (std::size_t k = 1; k <= trailing; ++k) {
        const auto byte = static_cast<unsigned char>(Text[k]);
        if ((byte & 0xC0) != 0x80)
            return 0;
        Code = (Code << 6) | (byte & 0x3F);
    }
    constexpr char32_t Smallest[] = {0, 0x80, 0x800, 0x10000};
    if (Code < Smallest[trailing] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
        return 0;
    return trailing + 1;
}

// The East Asian wide and full-width ranges, which take two columns.
bool IsWide(char32_t Code)
{
    return (Code >= 0x1100 && Code <= 0x115F) || (Code >= 0x2E80 && Code <= 0xA4CF) ||
           (Code >= 0xAC00 && Code <= 0xD7A3) || (Code >= 0xF900 && Code <= 0xFAFF) ||
           (Code >= 0xFE30 && Code <= 0xFE4F) || (Code >= 0xFF00 && Code <= 0xFF60) ||
           (Code >= 0xFFE0 && Code <= 0xFFE6) || (Code >= 0x1F300 && Code <= 0x1FAFF) ||
           (Code >= 0x20000 && Code <= 0x3FFFD);
}

} // namespace

bool IsTerminal(int Fd)
{
    // _isatty also holds for NUL and other character devices; only a console
    // has a console mode.
    DWORD mode = 0;
    return ::GetConsoleMode(ConsoleOf(Fd), &mode) != 0;
}

int TerminalColumns(int Fd)
{
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    if (!::GetConsoleScreenBufferInfo(ConsoleOf(Fd), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

TTerminalChar TerminalCharAt(std::string_view Text)
{
    char32_t code = 0;
    const std::size_t length = DecodeUtf8(Text, code);
    if (length == 0)
        return {};
    TTerminalChar character;
    character.Length = length;
    character.Code = code;
    // C0 and C1 controls and DEL never print; the C library's classes cover
    // the rest of the basic plane.
    if (code < 0x20 || (code >= 0x7F && code < 0xA0))
        return character;
    // The system's own character classes; the C runtime's know too few.
    WORD type = 0;
    const wchar_t unit = static_cast<wchar_t>(code);
    character.Printable = code > 0xFFFF || (::GetStringTypeW(CT_CTYPE1, &unit, 1, &type) &&
                                            (type & C1_DEFINED) && !(type & C1_CNTRL));
    character.Columns = IsWide(code) ? 2 : 1;
    return character;
}

} // namespace trovel
