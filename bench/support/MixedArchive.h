#pragma once

#include <cstdint>
#include <string>

namespace trovel::bench {

// The benchmarks' large archive: about half stored entries from 256 bytes to
// 512 KiB, half compressed entries of one to six parts of text-like or noisy
// data, in the folders area00/zone00 to area11/zone19, in random order.
inline constexpr std::uint64_t MixedArchiveBytes = 400ull << 20;
inline constexpr int MixedArchiveFolders = 240;

struct MixedArchive
{
    std::uint64_t bytes = 0;
    int stored = 0, compressed = 0, parts = 0;
    std::uint64_t outputBytes = 0; // what extracting every entry writes
    std::uint64_t largestPart = 0; // compressed plus inflated bytes of one part
    int entries() const { return stored + compressed; }
};

// Writes the archive to path until it holds about bytes; the same size always
// gives the same archive.
MixedArchive writeMixedArchive(const std::string &path, std::uint64_t bytes);

// The benchmarks' archive of a very large directory: empty stored entries
// folder000/sub00/file0000000.dat and on, spread over 997 folders of 31
// subfolders each.
inline constexpr int WideArchiveEntries = 1000000;
void writeWideArchive(const std::string &path, int entries);

} // namespace trovel::bench
