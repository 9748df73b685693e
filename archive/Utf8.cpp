#include "Utf8.h"

#include <cstdint>
#include <cstring>

namespace trovel {

namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr std::uint64_t HighBits = 0x8080808080808080ull;

// The length of the well-formed UTF-8 sequence at the start of Text, or 0
// with Bad set to the length of its maximal ill-formed part (at least 1).
std::size_t SequenceAt(std::string_view Text, std::size_t &Bad)
{
    const auto lead = static_cast<unsigned char>(Text[0]);
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2 || lead > 0xF4) {
        Bad = 1;
        return 0;
    }
    const std::size_t trailing = lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    // The second byte's range excludes overlong forms, surrogates and code
    // points beyond U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
    for (std::size_t k = 1; k <= trailing; ++k) {
        if (k >= Text.size()) {
            Bad = k;
            return 0;
        }
        const auto byte = static_cast<unsigned char>(Text[k]);
        if (byte < low || byte > high) {
            Bad = k;
            return 0;
        }
        low = 0x80;
        high = 0xBF;
    }
    return trailing + 1;
}

} // namespace

std::size_t Utf8Prefix(std::string_view Text)
{
    std::size_t at = 0;
    while (at < Text.size()) {
        at += AsciiPrefix(Text.substr(at));
        if (at == Text.size())
            break;
        std::size_t bad = 0;
        const std::size_t length = SequenceAt(Text.substr(at), bad);
        if (length == 0)
            break;
        at += length;
    }
    return at;
}

std::size_t IllFormedPrefix(std::string_view Text)
{
    std::size_t bad = 0;
    if (Text.empty() || SequenceAt(Text, bad) > 0)
        return 0;
    return bad;
}

std::size_t AsciiPrefix(std::string_view Text)
{
    const char *data = Text.data();
    const std::size_t size = Text.size();
    std::size_t at = 0;
    for (; at + 64 <= size; at += 64) {
        std::uint64_t words[8];
        std::memcpy(words, data + at, 64);
        if ((words[0] | words[1] | words[2] | words[3] | words[4] | words[5] | words[6] |
             words[7]) &
            HighBits)
            break;
    }
    for (; at + 8 <= size; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + at, 8);
        if (word & HighBits)
            break;
    }
    while (at < size && static_cast<unsigned char>(data[at]) < 0x80)
        ++at;
    return at;
}

bool IsAscii(std::string_view Text)
{
    return AsciiPrefix(Text) == Text.size();
}

bool IsValidUtf8(std::string_view Text)
{
    return Utf8Prefix(Text) == Text.size();
}

void AppendUtf8Text(std::string_view Text, std::string &Out)
{
    while (!Text.empty()) {
        const std::size_t good = Utf8Prefix(Text);
        Out.append(Text.data(), good);
        Text.remove_prefix(good);
        if (Text.empty())
            break;
        std::size_t bad = 1;
        SequenceAt(Text, bad);
        AppendUtf8(Replacement, Out);
        Text.remove_prefix(bad);
    }
}

} // namespace trovel
