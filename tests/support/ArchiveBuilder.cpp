#include "ArchiveBuilder.h"

#include <algorithm>
#include <fstream>
#include <numeric>
#include <random>
#include <stdexcept>

namespace trovel::testing {

namespace {

enum TTable
{
    HeaderTable,
    EntryTable,
    PartTable
};

// Writes Bytes to the file Path with a hole of Gap bytes at HoleAt.
void WriteWithHole(const std::string &Path, std::string_view Bytes, std::size_t HoleAt,
                   std::uint32_t Gap)
{
    std::ofstream file(Path, std::ios::binary | std::ios::trunc);
    file.write(Bytes.data(), static_cast<std::streamsize>(HoleAt));
    // Seeking past the end leaves the hole unwritten.
    file.seekp(static_cast<std::streamoff>(HoleAt + Gap));
    file.write(Bytes.data() + HoleAt, static_cast<std::streamsize>(Bytes.size() - HoleAt));
    if (!file)
        throw std::runtime_error("cannot write " + Path);
}

} // namespace

int TArchiveBuilder::AddStored(const std::string &Name, const std::string &Data)
{
    TEntry entry;
    entry.Name = Name;
    entry.Mode = 1;
    entry.Size = static_cast<std::uint32_t>(Data.size());
    entry.StoredData = Data;
    entry.Expected = Data;
    FEntries.push_back(std::move(entry));
    return EntryCount() - 1;
}

int TArchiveBuilder::AddCompressed(const std::string &Name, const std::vector<std::string> &Pieces,
                                   int Level)
{
    std::vector<TRawPart> parts;
    std::string joined;
    for (const std::string &piece : Pieces) {
        parts.push_back({Deflate(piece, Level), static_cast<std::uint32_t>(piece.size())});
        joined += piece;
    }
    const int index = AddCompressedRaw(Name, parts, static_cast<std::uint32_t>(joined.size()));
    FEntries.back().Expected = joined;
    return index;
}

int TArchiveBuilder::AddCompressedRaw(const std::string &Name, const std::vector<TRawPart> &Parts,
                                      std::uint32_t Size)
{
    TEntry entry;
    entry.Name = Name;
    entry.Mode = 3;
    entry.Size = Size;
    entry.Parts = Parts;
    FEntries.push_back(std::move(entry));
    return EntryCount() - 1;
}

int TArchiveBuilder::AddOther(const std::string &Name, std::uint32_t Mode, std::uint32_t Size)
{
    TEntry entry;
    entry.Name = Name;
    entry.Mode = Mode;
    entry.Size = Size;
    FEntries.push_back(std::move(entry));
    return EntryCount() - 1;
}

void TArchiveBuilder::OverrideHeader(int Word, std::uint32_t Value)
{
    FOverrides.push_back({HeaderTable, 0, Word, Value});
}

void TArchiveBuilder::OverrideEntry(int Entry, int Word, std::uint32_t Value)
{
    FOverrides.push_back({EntryTable, Entry, Word, Value});
}

void TArchiveBuilder::OverridePart(int Part, int Word, std::uint32_t Value)
{
    FOverrides.push_back({PartTable, Part, Word, Value});
}

std::string TArchiveBuilder::Build() const
{
    // Data blocks: one per stored entry, one per part, in directory order.
    struct TBlock
    {
        const std::string *Bytes;
        std::uint32_t Offset = 0;
    };
    std::vector<TBlock> blocks;
    std::vector<std::size_t> firstBlock;
    for (const TEntry &entry : FEntries) {
        firstBlock.push_back(blocks.size());
        if (entry.Mode == 1)
            blocks.push_back({&entry.StoredData});
        for (const TRawPart &part : entry.Parts)
            blocks.push_back({&part.Stream});
    }

    std::vector<std::size_t> placement(blocks.size());
    std::iota(placement.begin(), placement.end(), 0);
    std::mt19937 random(FScatterSeed);
    if (FScatterSeed != 0)
        std::shuffle(placement.begin(), placement.end(), random);

    TArchiveWriter writer;
    for (const std::size_t i : placement) {
        if (FScatterSeed != 0)
            writer.AppendData(std::string(random() % 7, static_cast<char>(0xA5)));
        blocks[i].Offset = writer.AppendData(*blocks[i].Bytes);
    }
    for (std::size_t e = 0; e < FEntries.size(); ++e) {
        const TEntry &entry = FEntries[e];
        const auto firstPart = static_cast<std::uint32_t>(writer.PartCount());
        std::size_t block = firstBlock[e] + (entry.Mode == 1 ? 1 : 0);
        for (const TRawPart &part : entry.Parts)
            writer.AddPart(blocks[block++].Offset, static_cast<std::uint32_t>(part.Stream.size()),
                           part.UncompressedSize);
        writer.AddEntry(entry.Mode, entry.Mode == 1 ? blocks[firstBlock[e]].Offset : 0, entry.Size,
                        static_cast<std::uint32_t>(entry.Parts.size()),
                        entry.Parts.empty() ? 0 : firstPart, entry.Name,
                        !(FDropLastTerminator && e + 1 == FEntries.size()));
    }
    std::string out = writer.Finish();

    const std::size_t directoryOffset = WordAt(out, 24);
    const std::size_t entriesStart = EntryTableStart(out);
    for (const TOverride &o : FOverrides) {
        std::size_t at = 0;
        if (o.Table == HeaderTable)
            at = 4 * o.Word;
        else if (o.Table == EntryTable)
            at = entriesStart + EntryRecordSize * o.Record + 4 * o.Word;
        else
            at = directoryOffset + PartRecordSize * o.Record + 4 * o.Word;
        SetWord(out, at, o.Value);
    }
    return out;
}

void TArchiveBuilder::WriteTo(const std::string &Path) const
{
    const std::string bytes = Build();
    WriteWithHole(Path, bytes, bytes.size(), 0);
}

void TArchiveBuilder::WriteSparseTo(const std::string &Path, std::uint32_t Gap) const
{
    std::string bytes = Build();
    const std::uint32_t directoryOffset = WordAt(bytes, 24); // as built
    SetWord(bytes, 24, directoryOffset + Gap);
    WriteWithHole(Path, bytes, directoryOffset, Gap);
}

} // namespace trovel::testing
