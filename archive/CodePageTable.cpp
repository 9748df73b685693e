#include "CodePageTable.h"

#include "Utf8.h"
#include "codepages/CodePageData.h"

#include <array>
#include <utility>

namespace trovel {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// One per table of the generated data, in its order.
constexpr std::array<TCodePageTable, std::size(CodePageData)> Tables = [] {
    return [&]<std::size_t... At>(std::index_sequence<At...>)
    {
        return std::array<TCodePageTable, sizeof...(At)>{TCodePageTable(CodePageData[At])...};
    }
    (std::make_index_sequence<std::size(CodePageData)>());
}();

} // namespace

const TCodePageTable *TCodePageTable::Find(int CodePage)
{
    for (const TCodePageTable &table : Tables) {
        if (table.CodePage() == CodePage)
            return &table;
    }
    return nullptr;
}

int TCodePageTable::CodePage() const
{
    return FData->CodePage;
}

char32_t TCodePageTable::CharacterAt(const unsigned char *Bytes, std::size_t Length,
                                     std::size_t &Used) const
{
    const unsigned byte = Bytes[0];
    const std::uint16_t single = FData->Single[byte - 0x80];
    if (single != 0) {
        Used = 1;
        return single;
    }
    const unsigned trail = Length > 1 ? Bytes[1] : 0;
    Used = trail >= 0x80 ? 2 : 1;
    if (trail < FirstTrail || trail > LastTrail)
        return 0;
    const char32_t code = FData->Rows[FData->RowOfLead[byte - 0x80] - 1][trail - FirstTrail];
    if (code != 0)
        Used = 2;
    return code;
}

void TCodePageTable::Append(std::string_view Stored, std::string &Out) const
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(Stored.data());
    const std::size_t size = Stored.size();
    std::size_t at = 0;
    while (at < size) {
        if (bytes[at] < 0x80) {
            const std::size_t ascii = AsciiPrefix(Stored.substr(at));
            Out.append(Stored.data() + at, ascii);
            at += ascii;
            continue;
        }
        std::size_t used = 1;
        const char32_t code = CharacterAt(bytes + at, size - at, used);
        AppendUtf8(code != 0 ? code : Replacement, Out);
        at += used;
    }
}

bool TCodePageTable::IsReversible(std::string_view Stored) const
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(Stored.data());
    const std::size_t size = Stored.size();
    std::size_t at = AsciiPrefix(Stored);
    while (at < size) {
        if (bytes[at] < 0x80) {
            ++at;
            continue;
        }
        std::size_t used = 1;
        const char32_t code = CharacterAt(bytes + at, size - at, used);
        if (code == 0 || (!FData->Shared.empty() && (FData->Shared[code / 64] >> (code % 64)) & 1))
            return false;
        at += used;
    }
    return true;
}

} // namespace trovel
