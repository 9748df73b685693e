#pragma once

#include <memory>
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
// components before and after decoding. A copy shares the immutable table.
class TNameCodec final
{
public:
    // No conversion: the stored bytes.
    static TNameCodec Raw();
    // Names are UTF-8 already; an invalid sequence decodes to U+FFFD.
    static TNameCodec Utf8();
    // One of the Windows ANSI code pages 874, 932, 936, 949, 950 and 1250 to
    // 1258 (IsCodePage). A byte that a single-byte page leaves undefined decodes
    // to the code point of the same value (0x81 in 1252 to the C1 control
    // U+0081), so no stored byte is lost; a byte or pair that does not decode
    // in a double-byte page decodes to U+FFFD. Raises std::invalid_argument for
    // any other number.
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

    TNameCodec(TKind Kind, std::shared_ptr<const TCodePageTable> Table)
        : FKind(Kind), FTable(std::move(Table))
    {
    }

    TKind FKind;
    std::shared_ptr<const TCodePageTable> FTable;
};

// True when Text is well-formed UTF-8 (ASCII is).
bool IsValidUtf8(std::string_view Text);
// True when Text holds no byte above 0x7F.
bool IsAscii(std::string_view Text);

// The Windows ANSI code page of the user's language and territory, always one
// that ForCodePage takes. Each platform provides it in a file of its own
// (SystemCodePagePosix.cpp here).
int SystemCodePage();

} // namespace trovel
