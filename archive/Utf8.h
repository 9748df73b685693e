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

// Appends the UTF-8 form of Code, a Unicode scalar value.
void AppendUtf8(char32_t Code, std::string &Out);
// Appends Text with each maximal ill-formed part of it replaced by one
// U+FFFD, as Unicode recommends.
void AppendUtf8Text(std::string_view Text, std::string &Out);

} // namespace trovel
