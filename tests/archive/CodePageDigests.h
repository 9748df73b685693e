// Written by archive/codepages/generate.py with the tables it writes: for
// each code page a digest of how every single byte and every pair decodes.
// clang-format off
#pragma once

#include <cstdint>

namespace trovel::testing {

struct TCodePageDigest
{
    int CodePage;
    std::uint64_t Digest;
};

inline constexpr TCodePageDigest CodePageDigests[] = {
    {874, 0x34754C2F5F03AF7FULL},
    {932, 0xBC42992B44E44ABFULL},
    {936, 0x139F11BBF84E4EBAULL},
    {949, 0x3F3C65571EA29191ULL},
    {950, 0xF8669A8285C8E98BULL},
    {1250, 0xD6E0EF75731A6705ULL},
    {1251, 0xF1938998DE5CBD03ULL},
    {1252, 0x9C4DB0DF7C8CEF1AULL},
    {1253, 0x6BADA6F3F0DD821DULL},
    {1254, 0x8E037AB1FE2B992CULL},
    {1255, 0x06442C5A080E5ED2ULL},
    {1256, 0x0B12AB7BAFAEA6D3ULL},
    {1257, 0x01BB43DC1CBB0BFFULL},
    {1258, 0x82F21009EFF7F823ULL},
};

} // namespace trovel::testing
