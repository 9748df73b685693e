#pragma once

#include <string>
#include <string_view>

namespace trovel {

struct TCodePageData;

// Decodes names in one of the Windows ANSI code pages 874, 932, 936, 949,
// 950 and 1250 to 1258 exactly as Windows does: every byte and pair Windows
// defines, its user-defined areas and private-use characters included, and
// for the single-byte pages the bytes 0x80-0x9F it leaves undefined as the
// C1 control of the same value. The tables are part of the program, so the
// result is the same on every system.
class TCodePageTable final
{
public:
    // The table of CodePage; null for a page the program does not have.
    static const TCodePageTable *Find(int CodePage);

    int CodePage() const;

    // Appends the UTF-8 text of Stored. A lead byte whose pair Windows does
    // not define decodes to U+FFFD: with the trail byte when that is above
    // 0x7F, while an ASCII byte after it is read again on its own, as it
    // does not belong to the broken character.
    void Append(std::string_view Stored, std::string &Out) const;
    // False when the text of Stored may come from other bytes as well: it
    // holds a broken pair, or a character that more than one byte or pair
    // decode to (932 and 950 give some characters twice).
    bool IsReversible(std::string_view Stored) const;

    constexpr explicit TCodePageTable(const TCodePageData &Data) : FData(&Data) {}

private:
    // The character of the byte or pair at Bytes[0] (Length is at least 1),
    // 0 for a broken pair; Used is set to the bytes it takes.
    char32_t CharacterAt(const unsigned char *Bytes, std::size_t Length, std::size_t &Used) const;

    const TCodePageData *FData;
};

} // namespace trovel
