#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds ".arc" archives in memory from entry descriptions, for tests,
// benchmarks, fuzzing seeds and the sample archive. Any word of the result can
// be overridden afterwards to make the archive as broken as a test needs.
namespace trovel::testing {

// One zlib stream of a compressed entry, as it will lie in the data area.
struct RawPart
{
    std::string Stream;
    std::uint32_t UncompressedSize = 0;
};

// zlib stream of data (zlib wrapper, default window).
std::string Deflate(const std::string &data, int level = 6);

class ArchiveBuilder
{
public:
    // Each Add returns the new entry's index.
    int AddStored(const std::string &name, const std::string &data);
    // The entry's data is the pieces joined; each piece becomes one part.
    int AddCompressed(const std::string &name, const std::vector<std::string> &pieces,
                      int level = 6);
    // Parts given as streams, valid or not.
    int AddCompressedRaw(const std::string &name, const std::vector<RawPart> &parts,
                         std::uint32_t size);
    // An entry of any other storage mode, with no data.
    int AddOther(const std::string &name, std::uint32_t mode, std::uint32_t size);

    // Places the data blocks (stored data and part streams) in a shuffled
    // order with filler bytes between them; the directory order is unchanged.
    void ScatterData(unsigned seed) { FScatterSeed = seed; }

    // Raw words, applied after the layout: header word 0..6, entry word 0..10,
    // part record word 0..2 (index into the part table).
    void OverrideHeader(int word, std::uint32_t value);
    void OverrideEntry(int entry, int word, std::uint32_t value);
    void OverridePart(int part, int word, std::uint32_t value);
    // Leaves the last name without its terminating 0 byte.
    void DropLastNameTerminator() { FDropLastTerminator = true; }

    std::string Build() const;
    void WriteTo(const std::string &path) const;
    // Writes the archive with a hole of gap bytes between the data area and
    // the directory: the file is that much longer but, where the file system
    // keeps sparse files, takes no more room.
    void WriteSparseTo(const std::string &path, std::uint32_t gap) const;

    int EntryCount() const { return static_cast<int>(FEntries.size()); }
    const std::string &Name(int entry) const { return FEntries.at(entry).Name; }
    // What extracting the entry must give (empty for other modes).
    const std::string &Expected(int entry) const { return FEntries.at(entry).Expected; }

private:
    struct Entry
    {
        std::string Name;
        std::uint32_t Mode = 1;
        std::uint32_t Size = 0;
        std::string StoredData;
        std::vector<RawPart> Parts;
        std::string Expected;
    };
    struct Override
    {
        int Table;
        int Record;
        int Word;
        std::uint32_t Value;
    };

    std::vector<Entry> FEntries;
    std::vector<Override> FOverrides;
    unsigned FScatterSeed = 0;
    bool FDropLastTerminator = false;
};

} // namespace trovel::testing
