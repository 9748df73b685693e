#include "TerminalText.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

namespace trovel {

namespace {

void AppendByteEscape(unsigned char Byte, std::string &Out)
{
    constexpr char Hex[] = "0123456789ABCDEF";
    switch (Byte) {
    case '\t':
        Out += "\\t";
        return;
    case '\n':
        Out += "\\n";
        return;
    case '\r':
        Out += "\\r";
        return;
    case 0x1B:
        Out += "\\e";
        return;
    default:
        Out += "\\x";
        Out += Hex[Byte >> 4];
        Out += Hex[Byte & 0xF];
    }
}

// Unicode's format characters (general category Cf, Unicode 15): the
// bidirectional controls that reorder what follows them, the zero-width
// characters, the byte order mark, the soft hyphen, the tags; and the line and
// paragraph separators. A terminal shows them as nothing, or lets them change
// how the rest of the line reads.
constexpr std::pair<char32_t, char32_t> Invisible[] = {
    {0xAD, 0xAD},       {0x600, 0x605},     {0x61C, 0x61C},     {0x6DD, 0x6DD},
    {0x70F, 0x70F},     {0x890, 0x891},     {0x8E2, 0x8E2},     {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool IsInvisible(char32_t Code)
{
    const auto *range = std::lower_bound(
        std::begin(Invisible), std::end(Invisible), Code,
        [](const std::pair<char32_t, char32_t> &R, char32_t C) { return R.second < C; });
    return range != std::end(Invisible) && range->first <= Code;
}

// "\u202E", or "\U000E0001" beyond the first plane.
void AppendCodeEscape(char32_t Code, std::string &Out)
{
    char text[16];
    std::snprintf(text, sizeof text, Code > 0xFFFF ? "\\U%08X" : "\\u%04X",
                  static_cast<unsigned>(Code));
    Out += text;
}

} // namespace

bool ShowsAsItself(const TTerminalChar &Character)
{
    return Character.Length != 0 && Character.Printable && !IsInvisible(Character.Code);
}

void AppendEscaped(std::string_view Text, std::string &Out)
{
    std::size_t at = 0;
    while (at < Text.size()) {
        const unsigned char byte = static_cast<unsigned char>(Text[at]);
        // Printable ASCII needs no decoding; most names are nothing else. The
        // backslash that begins every escape is escaped itself, so that no
        // name can pass for another one's escape.
        if (byte >= 0x20 && byte < 0x7F) {
            if (byte == '\\')
                Out += '\\';
            Out += static_cast<char>(byte);
            ++at;
            continue;
        }
        const TTerminalChar character = TerminalCharAt(Text.substr(at));
        if (character.Length != 0 && IsInvisible(character.Code)) {
            AppendCodeEscape(character.Code, Out);
            at += character.Length;
            continue;
        }
        if (character.Length == 0 || !character.Printable) {
            // A whole unprintable character is escaped byte by byte, so that
            // a control of the upper half (U+009B, CSI) cannot slip through.
            const std::size_t bytes = character.Length != 0 ? character.Length : 1;
            for (std::size_t i = 0; i < bytes; ++i)
                AppendByteEscape(static_cast<unsigned char>(Text[at + i]), Out);
            at += bytes;
            continue;
        }
        Out.append(Text, at, character.Length);
        at += character.Length;
    }
}

std::string Escaped(std::string_view Text)
{
    std::string out;
    AppendEscaped(Text, out);
    return out;
}

} // namespace trovel
