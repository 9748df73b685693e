#pragma once

#include <cstdint>
#include <string>

namespace trovel::bench {

// The benchmarks' large archive: about half stored entries from 256 bytes to
// 512 KiB, half compressed entries of one to six parts of text-like or noisy
// data, in the folders area00/zone00 to area11/zone19, in random order.
inline constexpr std::uint64_t MixedArchiveBytes = 400ull << 20;
inline constexpr int MixedArchiveFolders = 240;

struct TMixedArchive
{
    std::uint64_t Bytes = 0;
    int Stored = 0, Compressed = 0, Parts = 0;
    std::uint64_t OutputBytes = 0; // what extracting every entry writes
    std::uint64_t LargestPart = 0; // compressed plus inflated bytes of one part
    int Entries() const { return Stored + Compressed; }
};

// Writes the archive to Path until it holds about Bytes; the same size always
// gives the same archive.
TMixedArchive WriteMixedArchive(const std::string &Path, std::uint64_t Bytes);

// The benchmarks' archive of a very large directory: empty stored entries
// folder000/sub00/file0000000.dat and on, spread over 997 folders of 31
// subfolders each.
inline constexpr int WideArchiveEntries = 1000000;
void WriteWideArchive(const std::string &Path, int Entries);

} // namespace trovel::bench
