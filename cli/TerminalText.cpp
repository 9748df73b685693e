#include "TerminalText.h"

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

} // namespace

void AppendEscaped(std::string_view Text, std::string &Out)
{
    std::size_t at = 0;
    while (at < Text.size()) {
        const unsigned char byte = static_cast<unsigned char>(Text[at]);
        // Printable ASCII needs no decoding; most names are nothing else.
        if (byte >= 0x20 && byte < 0x7F) {
            Out += static_cast<char>(byte);
            ++at;
            continue;
        }
        const TTerminalChar character = TerminalCharAt(Text.substr(at));
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
