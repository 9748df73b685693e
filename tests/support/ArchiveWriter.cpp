#include "ArchiveWriter.h"

#include <limits>
#include <stdexcept>
#include <zlib.h>

namespace trovel::testing {

namespace {

void AppendWords(std::string &Out, const std::vector<std::uint32_t> &Words)
{
    for (const std::uint32_t word : Words) {
        for (int i = 0; i < 4; ++i)
            Out += static_cast<char>(word >> (8 * i));
    }
}

} // namespace

std::uint32_t WordAt(std::string_view Bytes, std::size_t At)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(Bytes.at(At + i));
    return value;
}

void SetWord(std::string &Bytes, std::size_t At, std::uint32_t Value)
{
    for (int i = 0; i < 4; ++i)
        Bytes.at(At + i) = static_cast<char>(Value >> (8 * i));
}

std::size_t EntryTableStart(std::string_view Bytes)
{
    return std::size_t{WordAt(Bytes, 24)} + PartRecordSize * WordAt(Bytes, 12) + WordAt(Bytes, 20);
}

std::string Deflate(std::string_view Data, int Level)
{
    uLongf length = compressBound(Data.size());
    std::string stream(length, '\0');
    if (compress2(reinterpret_cast<Bytef *>(stream.data()), &length,
                  reinterpret_cast<const Bytef *>(Data.data()), Data.size(), Level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    stream.resize(length);
    return stream;
}

std::string EmptyStoredBlocks(std::size_t Length)
{
    // The zlib header, stored blocks of five bytes each (a header byte, LEN 0
    // and NLEN 0xFFFF), the last one marked final, and the Adler-32 of no
    // data.
    constexpr std::size_t Frame = 2 + 5 + 4;
    if (Length < Frame)
        throw std::invalid_argument("a zlib stream takes at least 11 bytes");
    std::string stream("\x78\x01", 2);
    stream.reserve(Length);
    for (std::size_t i = 0; i < (Length - Frame) / 5; ++i)
        stream.append("\x00\x00\x00\xFF\xFF", 5);
    stream.append("\x01\x00\x00\xFF\xFF", 5);
    stream.append("\x00\x00\x00\x01", 4);
    return stream;
}

TArchiveWriter::TArchiveWriter()
{
    Write(std::string(HeaderSize, '\0'));
}

TArchiveWriter::TArchiveWriter(const std::string &Path)
    : FFile(Path, std::ios::binary | std::ios::trunc), FToFile(true), FPath(Path)
{
    if (!FFile)
        throw std::runtime_error("cannot create " + Path);
    Write(std::string(HeaderSize, '\0'));
}

void TArchiveWriter::Write(std::string_view Bytes)
{
    if (FToFile)
        FFile.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    else
        FMemory.append(Bytes);
    FPosition += Bytes.size();
}

std::uint32_t TArchiveWriter::AppendData(std::string_view Bytes)
{
    if (FPosition + Bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::runtime_error("the data area would pass 4 GiB, beyond what a word addresses");
    const auto at = static_cast<std::uint32_t>(FPosition);
    Write(Bytes);
    return at;
}

void TArchiveWriter::AddPart(std::uint32_t Offset, std::uint32_t CompressedSize,
                             std::uint32_t UncompressedSize)
{
    FParts.insert(FParts.end(), {Offset, CompressedSize, UncompressedSize});
}

void TArchiveWriter::AddEntry(std::uint32_t Mode, std::uint32_t DataOffset, std::uint32_t Size,
                              std::uint32_t PartCount, std::uint32_t FirstPart,
                              std::string_view Name, bool Terminated)
{
    const auto nameOffset = static_cast<std::uint32_t>(FNames.size());
    FNames.append(Name);
    if (Terminated)
        FNames += '\0';
    FEntries.insert(FEntries.end(), {Mode, DataOffset, 0x11111111, Size, 0x22222222, 0x33333333,
                                     0x44444444, PartCount, FirstPart, 0x55555555, nameOffset});
}

void TArchiveWriter::AddStored(std::string_view Name, std::string_view Data)
{
    const std::uint32_t offset = AppendData(Data);
    AddEntry(1, offset, static_cast<std::uint32_t>(Data.size()), 0, 0, Name);
}

void TArchiveWriter::AddCompressed(std::string_view Name,
                                   const std::vector<const TRawPart *> &Parts)
{
    const auto firstPart = static_cast<std::uint32_t>(PartCount());
    std::uint64_t size = 0;
    for (const TRawPart *part : Parts) {
        const std::uint32_t offset = AppendData(part->Stream);
        AddPart(offset, static_cast<std::uint32_t>(part->Stream.size()), part->UncompressedSize);
        size += part->UncompressedSize;
    }
    AddEntry(3, 0, static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(Parts.size()),
             Parts.empty() ? 0 : firstPart, Name);
}

std::string TArchiveWriter::Finish()
{
    const auto directoryOffset = static_cast<std::uint32_t>(FPosition);
    std::string directory;
    AppendWords(directory, FParts);
    directory += FNames;
    AppendWords(directory, FEntries);
    Write(directory);

    std::string header;
    AppendWords(header, {0x43524121, 0x00010000, static_cast<std::uint32_t>(FEntries.size() / 11),
                         static_cast<std::uint32_t>(PartCount()), 0xDEADBEEF,
                         static_cast<std::uint32_t>(FNames.size()), directoryOffset});
    if (!FToFile) {
        FMemory.replace(0, HeaderSize, header);
        return std::move(FMemory);
    }
    FFile.seekp(0);
    FFile.write(header.data(), static_cast<std::streamsize>(header.size()));
    FFile.close();
    if (!FFile)
        throw std::runtime_error("cannot write " + FPath);
    return {};
}

} // namespace trovel::testing
