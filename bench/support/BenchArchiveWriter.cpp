#include "BenchArchiveWriter.h"

#include <stdexcept>

namespace trovel::bench {

namespace {

void appendWords(std::string &out, const std::vector<std::uint32_t> &words)
{
    for (const std::uint32_t word : words) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>(word >> (8 * i));
    }
}

} // namespace

TBenchArchiveWriter::TBenchArchiveWriter(const std::string &path)
    : FOut(path, std::ios::binary | std::ios::trunc)
{
    if (!FOut)
        throw std::runtime_error("cannot create " + path);
    Append(std::string(28, '\0'));
}

std::uint32_t TBenchArchiveWriter::Append(std::string_view bytes)
{
    if (FPosition + bytes.size() > 0x7FFFFFFF)
        throw std::runtime_error("benchmark archive over 2 GiB");
    const auto at = static_cast<std::uint32_t>(FPosition);
    FOut.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FPosition += bytes.size();
    return at;
}

void TBenchArchiveWriter::AddEntry(std::uint32_t mode, std::uint32_t offset, std::uint32_t size,
                                   std::uint32_t partCount, std::uint32_t firstPart,
                                   std::string_view name)
{
    const auto nameOffset = static_cast<std::uint32_t>(FNames.size());
    FNames.append(name);
    FNames += '\0';
    FEntries.insert(FEntries.end(),
                    {mode, offset, 0, size, 0, 0, 0, partCount, firstPart, 0, nameOffset});
}

void TBenchArchiveWriter::AddStored(std::string_view name, std::string_view data)
{
    const std::uint32_t offset = Append(data);
    AddEntry(1, offset, static_cast<std::uint32_t>(data.size()), 0, 0, name);
}

void TBenchArchiveWriter::AddCompressed(std::string_view name,
                                        const std::vector<const CompressedPart *> &parts)
{
    const auto firstPart = static_cast<std::uint32_t>(FParts.size() / 3);
    std::uint64_t size = 0;
    for (const CompressedPart *part : parts) {
        const std::uint32_t offset = Append(part->Stream);
        FParts.insert(FParts.end(),
                      {offset, static_cast<std::uint32_t>(part->Stream.size()), part->Size});
        size += part->Size;
    }
    AddEntry(3, 0, static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(parts.size()),
             firstPart, name);
}

std::uint64_t TBenchArchiveWriter::Finish()
{
    const auto directoryOffset = static_cast<std::uint32_t>(FPosition);
    std::string directory;
    appendWords(directory, FParts);
    directory += FNames;
    appendWords(directory, FEntries);
    Append(directory);

    std::string header;
    appendWords(header, {0, 0, static_cast<std::uint32_t>(FEntries.size() / 11),
                         static_cast<std::uint32_t>(FParts.size() / 3), 0,
                         static_cast<std::uint32_t>(FNames.size()), directoryOffset});
    FOut.seekp(0);
    FOut.write(header.data(), static_cast<std::streamsize>(header.size()));
    FOut.close();
    if (!FOut)
        throw std::runtime_error("cannot write the benchmark archive");
    return FPosition;
}

} // namespace trovel::bench
