#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace trovel {

// Where the first byte above 0x7F lies in Text, or its length when there is
// none. Whole name tables pass through here, so it reads 64 bytes a step.
std::size_t AsciiPrefix(std::string_view Text);
// True when Text holds no byte above 0x7F.
bool IsAscii(std::string_view Text);
// True when Text is well-formed UTF-8 (ASCII is).
bool IsValidUtf8(std::string_view Text);
// The length of the longest well-formed UTF-8 start of Text.
std::size_t Utf8Prefix(std::string_view Text);
// The length of the maximal ill-formed part Text starts with: 0 when it
// starts with a well-formed sequence or is empty.
std::size_t IllFormedPrefix(std::string_view Text);

// Appends the UTF-8 form of Code, a Unicode scalar value. Inline: the code
// pages' decoding calls it for every character.
inline void AppendUtf8(char32_t Code, std::string &Out)
{
    if (Code < 0x80) {
        Out += static_cast<char>(Code);
    } else if (Code < 0x800) {
        const char bytes[] = {static_cast<char>(0xC0 | (Code >> 6)),
                              static_cast<char>(0x80 | (Code & 0x3F))};
        Out.append(bytes, 2);
    } else if (Code < 0x10000) {
        const char bytes[] = {static_cast<char>(0xE0 | (Code >> 12)),
                              static_cast<char>(0x80 | ((Code >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (Code & 0x3F))};
        Out.append(bytes, 3);
    } else {
        const char bytes[] = {static_cast<char>(0xF0 | (Code >> 18)),
                              static_cast<char>(0x80 | ((Code >> 12) & 0x3F)),
                              static_cast<char>(0x80 | ((Code >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (Code & 0x3F))};
        Out.append(bytes, 4);
    }
}
// Appends Text with each maximal ill-formed part of it replaced by one
// U+FFFD, as Unicode recommends.
void AppendUtf8Text(std::string_view Text, std::string &Out);

} // namespace trovel
