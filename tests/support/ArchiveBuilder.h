#pragma once

#include "ArchiveWriter.h"

#include <cstdint>
#include <string>
#include <vector>

// Builds ".arc" archives in memory from entry descriptions, for tests,
// fuzzing seeds and the sample archive. Any word of the result can be
// overridden afterwards to make the archive as broken as a test needs.
namespace trovel::testing {

class TArchiveBuilder
{
public:
    // Each Add returns the new entry's index.
    int AddStored(const std::string &Name, const std::string &Data);
    // The entry's data is the pieces joined; each piece becomes one part.
    int AddCompressed(const std::string &Name, const std::vector<std::string> &Pieces,
                      int Level = 6);
    // Parts given as streams, valid or not.
    int AddCompressedRaw(const std::string &Name, const std::vector<TRawPart> &Parts,
                         std::uint32_t Size);
    // An entry of any other storage mode, with no data.
    int AddOther(const std::string &Name, std::uint32_t Mode, std::uint32_t Size);

    // Places the data blocks (stored data and part streams) in a shuffled
    // order with filler bytes between them; the directory order is unchanged.
    void ScatterData(unsigned Seed) { FScatterSeed = Seed; }

    // Raw words, applied after the layout: header word 0..6, entry word 0..10,
    // part record word 0..2 (index into the part table).
    void OverrideHeader(int Word, std::uint32_t Value);
    void OverrideEntry(int Entry, int Word, std::uint32_t Value);
    void OverridePart(int Part, int Word, std::uint32_t Value);
    // Leaves the last name without its terminating 0 byte.
    void DropLastNameTerminator() { FDropLastTerminator = true; }

    std::string Build() const;
    void WriteTo(const std::string &Path) const;
    // Writes the archive with a hole of Gap bytes between the data area and
    // the directory: the file is that much longer but, where the file system
    // keeps sparse files, takes no more room.
    void WriteSparseTo(const std::string &Path, std::uint32_t Gap) const;

    int EntryCount() const { return static_cast<int>(FEntries.size()); }
    const std::string &Name(int Entry) const { return FEntries.at(Entry).Name; }
    // What extracting the entry must give (empty for other modes).
    const std::string &Expected(int Entry) const { return FEntries.at(Entry).Expected; }

private:
    struct TEntry
    {
        std::string Name;
        std::uint32_t Mode = 1;
        std::uint32_t Size = 0;
        std::string StoredData;
        std::vector<TRawPart> Parts;
        std::string Expected;
    };
    struct TOverride
    {
        int Table;
        int Record;
        int Word;
        std::uint32_t Value;
    };

    std::vector<TEntry> FEntries;
    std::vector<TOverride> FOverrides;
    unsigned FScatterSeed = 0;
    bool FDropLastTerminator = false;
};

} // namespace trovel::testing
