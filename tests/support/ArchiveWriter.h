#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

// Writes ".arc" archives front to back: the data area as it is handed over,
// then the directory and the header. Only the directory is kept in memory, so
// the benchmarks' archives of hundreds of megabytes go straight to disk; the
// tests' archives are written into memory the same way (TArchiveBuilder).
namespace trovel::testing {

// The layout: a header of seven words, the data area, then the part table,
// the name table and the entry table.
inline constexpr std::size_t HeaderSize = 28;
inline constexpr std::size_t PartRecordSize = 12;
inline constexpr std::size_t EntryRecordSize = 44;

// The little-endian word at At of an archive's bytes, and its replacement.
std::uint32_t WordAt(std::string_view Bytes, std::size_t At);
void SetWord(std::string &Bytes, std::size_t At, std::uint32_t Value);
// Where the entry table starts, as the header of Bytes gives it.
std::size_t EntryTableStart(std::string_view Bytes);

// One zlib stream of a compressed entry and the size it inflates to.
struct TRawPart
{
    std::string Stream;
    std::uint32_t UncompressedSize = 0;
};

// zlib stream of Data (zlib wrapper, default window).
std::string Deflate(std::string_view Data, int Level = 6);
// A valid zlib stream that inflates to nothing, of empty stored blocks that
// still have to be read and taken apart one by one: at most Length bytes (at
// least 11) and fewer than 5 short of it.
std::string EmptyStoredBlocks(std::size_t Length);

class TArchiveWriter final
{
public:
    // Into memory: Finish returns the archive's bytes.
    TArchiveWriter();
    // Into the file Path, made afresh.
    explicit TArchiveWriter(const std::string &Path);

    // Appends Bytes to the data area; returns where they start.
    std::uint32_t AppendData(std::string_view Bytes);

    // Directory records, in the order given. The words the engine does not
    // examine are filled with patterns that no reader may depend on.
    void AddPart(std::uint32_t Offset, std::uint32_t CompressedSize,
                 std::uint32_t UncompressedSize);
    int PartCount() const { return static_cast<int>(FParts.size() / 3); }
    // An entry whose PartCount parts are the records from FirstPart on; a
    // Name without its terminating 0 byte when Terminated is false.
    void AddEntry(std::uint32_t Mode, std::uint32_t DataOffset, std::uint32_t Size,
                  std::uint32_t PartCount, std::uint32_t FirstPart, std::string_view Name,
                  bool Terminated = true);

    // A stored entry, its data appended now.
    void AddStored(std::string_view Name, std::string_view Data);
    // A compressed entry, its parts' streams appended now: entries never
    // share bytes, even when they share parts.
    void AddCompressed(std::string_view Name, const std::vector<const TRawPart *> &Parts);

    // Writes the directory and the header; returns the archive's bytes in
    // memory, or nothing for a file. Raises std::runtime_error when the file
    // cannot be written.
    std::string Finish();
    std::uint64_t Size() const { return FPosition; }

private:
    void Write(std::string_view Bytes);

    std::ofstream FFile;
    bool FToFile = false;
    std::string FMemory;
    std::string FPath;
    std::uint64_t FPosition = 0;
    std::vector<std::uint32_t> FParts;   // three words per part
    std::vector<std::uint32_t> FEntries; // eleven words per entry
    std::string FNames;
};

} // namespace trovel::testing
