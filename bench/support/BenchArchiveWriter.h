#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace trovel::bench {

// One zlib stream and the size it inflates to.
struct CompressedPart
{
    std::string Stream;
    std::uint32_t Size = 0;
};

// Writes a large archive straight to disk, keeping only the directory in
// memory, so that generating several hundred megabytes costs little memory.
class TBenchArchiveWriter final
{
public:
    explicit TBenchArchiveWriter(const std::string &path);

    void AddStored(std::string_view name, std::string_view data);
    // The parts' streams are written to the data area again for every entry,
    // so entries never share bytes even when they share content.
    void AddCompressed(std::string_view name, const std::vector<const CompressedPart *> &parts);
    // Writes the directory and the header; returns the archive's size.
    std::uint64_t Finish();

private:
    std::uint32_t Append(std::string_view bytes);
    void AddEntry(std::uint32_t mode, std::uint32_t offset, std::uint32_t size,
                  std::uint32_t partCount, std::uint32_t firstPart, std::string_view name);

    std::ofstream FOut;
    std::uint64_t FPosition = 0;
    std::vector<std::uint32_t> FParts;   // three words per part
    std::vector<std::uint32_t> FEntries; // eleven words per entry
    std::string FNames;
};

} // namespace trovel::bench
