#include "ArchiveBuilder.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>
#include <zlib.h>

namespace trovel::testing {

namespace {

enum Table
{
    HeaderTable,
    EntryTable,
    PartTable
};

void putWord(std::string &out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void appendWord(std::string &out, std::uint32_t value)
{
    out.append(4, '\0');
    putWord(out, out.size() - 4, value);
}

} // namespace

std::string Deflate(const std::string &data, int level)
{
    uLongf length = compressBound(data.size());
    std::string stream(length, '\0');
    if (compress2(reinterpret_cast<Bytef *>(stream.data()), &length,
                  reinterpret_cast<const Bytef *>(data.data()), data.size(), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    stream.resize(length);
    return stream;
}

int ArchiveBuilder::AddStored(const std::string &name, const std::string &data)
{
    Entry entry;
    entry.Name = name;
    entry.Mode = 1;
    entry.Size = static_cast<std::uint32_t>(data.size());
    entry.StoredData = data;
    entry.Expected = data;
    FEntries.push_back(std::move(entry));
    return EntryCount() - 1;
}

int ArchiveBuilder::AddCompressed(const std::string &name, const std::vector<std::string> &pieces,
                                  int level)
{
    std::vector<RawPart> parts;
    std::string joined;
    for (const std::string &piece : pieces) {
        parts.push_back({Deflate(piece, level), static_cast<std::uint32_t>(piece.size())});
        joined += piece;
    }
    const int index = AddCompressedRaw(name, parts, static_cast<std::uint32_t>(joined.size()));
    FEntries.back().Expected = joined;
    return index;
}

int ArchiveBuilder::AddCompressedRaw(const std::string &name, const std::vector<RawPart> &parts,
                                     std::uint32_t size)
{
    Entry entry;
    entry.Name = name;
    entry.Mode = 3;
    entry.Size = size;
    entry.Parts = parts;
    FEntries.push_back(std::move(entry));
    return EntryCount() - 1;
}

int ArchiveBuilder::AddOther(const std::string &name, std::uint32_t mode, std::uint32_t size)
{
    Entry entry;
    entry.Name = name;
    entry.Mode = mode;
    entry.Size = size;
    FEntries.push_back(std::move(entry));
    return EntryCount() - 1;
}

void ArchiveBuilder::OverrideHeader(int word, std::uint32_t value)
{
    FOverrides.push_back({HeaderTable, 0, word, value});
}

void ArchiveBuilder::OverrideEntry(int entry, int word, std::uint32_t value)
{
    FOverrides.push_back({EntryTable, entry, word, value});
}

void ArchiveBuilder::OverridePart(int part, int word, std::uint32_t value)
{
    FOverrides.push_back({PartTable, part, word, value});
}

std::string ArchiveBuilder::Build() const
{
    // Data blocks: one per stored entry, one per part, in directory order.
    struct Block
    {
        const std::string *Bytes;
        std::uint32_t Offset = 0;
    };
    std::vector<Block> blocks;
    std::vector<std::size_t> firstBlock;
    for (const Entry &entry : FEntries) {
        firstBlock.push_back(blocks.size());
        if (entry.Mode == 1)
            blocks.push_back({&entry.StoredData});
        for (const RawPart &part : entry.Parts)
            blocks.push_back({&part.Stream});
    }

    std::vector<std::size_t> placement(blocks.size());
    for (std::size_t i = 0; i < placement.size(); ++i)
        placement[i] = i;
    std::mt19937 random(FScatterSeed);
    if (FScatterSeed != 0)
        std::shuffle(placement.begin(), placement.end(), random);

    std::string out(28, '\0');
    for (std::size_t i : placement) {
        if (FScatterSeed != 0)
            out.append(random() % 7, static_cast<char>(0xA5));
        blocks[i].Offset = static_cast<std::uint32_t>(out.size());
        out += *blocks[i].Bytes;
    }

    const std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
    std::uint32_t partCount = 0;
    for (std::size_t e = 0; e < FEntries.size(); ++e) {
        const Entry &entry = FEntries[e];
        std::size_t block = firstBlock[e] + (entry.Mode == 1 ? 1 : 0);
        for (const RawPart &part : entry.Parts) {
            appendWord(out, blocks[block++].Offset);
            appendWord(out, static_cast<std::uint32_t>(part.Stream.size()));
            appendWord(out, part.UncompressedSize);
            ++partCount;
        }
    }

    const std::size_t namesStart = out.size();
    std::vector<std::uint32_t> nameOffsets;
    for (std::size_t e = 0; e < FEntries.size(); ++e) {
        nameOffsets.push_back(static_cast<std::uint32_t>(out.size() - namesStart));
        out += FEntries[e].Name;
        if (!(FDropLastTerminator && e + 1 == FEntries.size()))
            out += '\0';
    }
    const std::uint32_t nameTableSize = static_cast<std::uint32_t>(out.size() - namesStart);

    const std::size_t entriesStart = out.size();
    std::uint32_t nextPart = 0;
    for (std::size_t e = 0; e < FEntries.size(); ++e) {
        const Entry &entry = FEntries[e];
        const std::uint32_t words[11] = {entry.Mode,
                                         entry.Mode == 1 ? blocks[firstBlock[e]].Offset : 0,
                                         0x11111111,
                                         entry.Size,
                                         0x22222222,
                                         0x33333333,
                                         0x44444444,
                                         static_cast<std::uint32_t>(entry.Parts.size()),
                                         entry.Parts.empty() ? 0 : nextPart,
                                         0x55555555,
                                         nameOffsets[e]};
        for (std::uint32_t word : words)
            appendWord(out, word);
        nextPart += static_cast<std::uint32_t>(entry.Parts.size());
    }

    const std::uint32_t header[7] = {
        0x43524121,     0x00010000, static_cast<std::uint32_t>(FEntries.size()),
        partCount,      0xDEADBEEF, nameTableSize,
        directoryOffset};
    for (int i = 0; i < 7; ++i)
        putWord(out, 4 * i, header[i]);

    for (const Override &o : FOverrides) {
        std::size_t at = 0;
        if (o.Table == HeaderTable)
            at = 4 * o.Word;
        else if (o.Table == EntryTable)
            at = entriesStart + 44 * o.Record + 4 * o.Word;
        else
            at = directoryOffset + 12 * o.Record + 4 * o.Word;
        putWord(out, at, o.Value);
    }
    return out;
}

void ArchiveBuilder::WriteTo(const std::string &path) const
{
    const std::string bytes = Build();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

void ArchiveBuilder::WriteSparseTo(const std::string &path, std::uint32_t gap) const
{
    std::string bytes = Build();
    std::size_t directoryOffset = 0; // header word 6, as built
    for (int i = 3; i >= 0; --i)
        directoryOffset = directoryOffset << 8 | static_cast<unsigned char>(bytes[24 + i]);
    putWord(bytes, 24, static_cast<std::uint32_t>(directoryOffset + gap));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(directoryOffset));
    // Seeking past the end leaves the gap unwritten.
    file.seekp(static_cast<std::streamoff>(directoryOffset + gap));
    file.write(bytes.data() + directoryOffset,
               static_cast<std::streamsize>(bytes.size() - directoryOffset));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

} // namespace trovel::testing
