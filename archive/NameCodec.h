#pragma once

#include "Utf8.h"

#include <optional>
#include <string>
#include <string_view>

namespace trovel {

class TCodePageTable;

// How the stored bytes of entry names become text where they meet the system:
// on screen, as file names, in what trovel-cli prints. Names are stored in the
// ANSI code page of the Windows system that wrote the archive, or in UTF-8.
//
// In every encoding ASCII bytes decode to themselves and no other byte decodes
// to ASCII, so "/" separates the same components and "." and ".." are the same
// components before and after decoding. The code pages' tables are part of
// the program, so a name decodes the same on every system.
class TNameCodec final
{
public:
    // No conversion: the stored bytes.
    static TNameCodec Raw();
    // Names are UTF-8 already; an invalid sequence decodes to U+FFFD.
    static TNameCodec Utf8();
    // One of the Windows ANSI code pages 874, 932, 936, 949, 950 and 1250 to
    // 1258 (IsCodePage), decoded as Windows decodes it (TCodePageTable).
    // Raises std::invalid_argument for any other number.
    static TNameCodec ForCodePage(int CodePage);
    // "raw", "utf-8" (also "utf8"; case does not matter) or the number of a
    // code page that ForCodePage takes; none for anything else.
    static std::optional<TNameCodec> FromName(std::string_view Text);
    static bool IsCodePage(int CodePage);

    // The UTF-8 text of a stored name (Raw: the bytes unchanged). Pure ASCII
    // is copied as it stands.
    std::string ToText(std::string_view Stored) const;
    void AppendText(std::string_view Stored, std::string &Out) const;
    // The text of a stored path: each "/"-separated component decoded on its
    // own, the separators kept.
    std::string ToPathText(std::string_view Stored) const;
    // False when the text of Stored may come from other stored bytes as
    // well: Stored holds an invalid sequence, or (in 932 and 950) a character
    // that two byte pairs give. Names that are all reversible never share a
    // text.
    bool IsReversible(std::string_view Stored) const;

    // 0 for Raw and Utf8.
    int CodePage() const;
    bool IsRaw() const { return FKind == TKind::Raw; }
    bool IsUtf8() const { return FKind == TKind::Utf8; }

    friend bool operator==(const TNameCodec &Left, const TNameCodec &Right)
    {
        return Left.FKind == Right.FKind && Left.CodePage() == Right.CodePage();
    }

private:
    enum class TKind
    {
        Raw,
        Utf8,
        CodePage
    };

    TNameCodec(TKind Kind, const TCodePageTable *Table) : FKind(Kind), FTable(Table) {}

    TKind FKind;
    const TCodePageTable *FTable;
};

// The Windows ANSI code page of the user's language and territory, always one
// that ForCodePage takes. Each platform provides it in a file of its own
// (SystemCodePagePosix.cpp here).
int SystemCodePage();

} // namespace trovel
