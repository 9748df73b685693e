#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace trovel {

// The trail bytes of every double-byte page lie in 0x40-0xFE.
inline constexpr unsigned FirstTrail = 0x40;
inline constexpr unsigned LastTrail = 0xFE;

// The characters of one lead byte's pairs, by trail byte - FirstTrail; 0
// where the pair is undefined.
using TCodePageRow = std::array<std::uint16_t, LastTrail - FirstTrail + 1>;

// How Windows decodes one ANSI code page. Every character lies in the Basic
// Multilingual Plane, none is ASCII and none is U+FFFD.
struct TCodePageData
{
    int CodePage;
    // The character of each byte 0x80-0xFF; 0 for a lead byte.
    const std::uint16_t *Single;
    // Double-byte pages: for each byte 0x80-0xFF its row in Rows plus 1, 0
    // when it is not a lead byte. Single-byte pages: null.
    const std::uint8_t *RowOfLead;
    std::span<const TCodePageRow> Rows;
    // The characters that more than one byte or pair decode to, one bit
    // each (bit Code % 64 of word Code / 64); empty when there are none.
    std::span<const std::uint64_t> Shared;
};

// Written by generate.py beside this file, from the C library's converters
// and what Windows defines beyond them.
extern const TCodePageData CodePageData[14];

} // namespace trovel
