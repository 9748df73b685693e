#include "PlainLoops.h"

#include "uArcReader.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;

namespace trovel::bench {

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point Start)
{
    return std::chrono::duration<double>(TClock::now() - Start).count();
}

// The directory as bare records.
struct TDirectory
{
    std::vector<TArcPart> Parts;
    std::vector<TArcFileEntry> Entries;
    std::string Names;
};

TDirectory ReadDirectory(int Fd)
{
    TArcHeader header{};
    ::pread(Fd, &header, sizeof header, 0);
    TDirectory d;
    d.Parts.resize(header.PartCount);
    d.Names.resize(header.NameTableSize);
    d.Entries.resize(header.FileCount);
    off_t at = header.DirectoryOffset;
    at += ::pread(Fd, d.Parts.data(), d.Parts.size() * sizeof(TArcPart), at);
    at += ::pread(Fd, d.Names.data(), d.Names.size(), at);
    ::pread(Fd, d.Entries.data(), d.Entries.size() * sizeof(TArcFileEntry), at);
    return d;
}

void WriteAll(int Fd, const void *Data, std::size_t Size)
{
    if (::write(Fd, Data, Size) != static_cast<ssize_t>(Size))
        throw std::runtime_error("plain loop: short write");
}

} // namespace

double PlainInflateLoop(const std::string &Archive, const std::string &Target)
{
    const auto start = TClock::now();
    const int in = ::open(Archive.c_str(), O_RDONLY);
    const TDirectory d = ReadDirectory(in);
    std::vector<unsigned char> input, output;
    for (const TArcFileEntry &entry : d.Entries) {
        const fs::path file = fs::path(Target) / (d.Names.c_str() + entry.NameOffset);
        fs::create_directories(file.parent_path());
        const int out = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (entry.StorageMode == 1) {
            output.resize(entry.Size);
            ::pread(in, output.data(), entry.Size, entry.DataOffset);
            WriteAll(out, output.data(), entry.Size);
        } else if (entry.StorageMode == 3) {
            for (std::uint32_t p = 0; p < entry.PartCount; ++p) {
                const TArcPart &part = d.Parts[entry.FirstPart + p];
                input.resize(part.CompressedSize);
                output.resize(part.UncompressedSize);
                ::pread(in, input.data(), part.CompressedSize, part.Offset);
                uLongf length = part.UncompressedSize;
                if (uncompress(output.data(), &length, input.data(), part.CompressedSize) != Z_OK)
                    throw std::runtime_error("plain loop: part does not inflate");
                WriteAll(out, output.data(), length);
            }
        }
        ::close(out);
    }
    ::close(in);
    return SecondsSince(start);
}

double PlainListLoop(const std::string &Archive, std::FILE *Out)
{
    const auto start = TClock::now();
    const int in = ::open(Archive.c_str(), O_RDONLY);
    const TDirectory d = ReadDirectory(in);
    ::close(in);
    for (std::size_t i = 0; i < d.Entries.size(); ++i) {
        const TArcFileEntry &entry = d.Entries[i];
        std::fprintf(Out, "%zu\t%u\t%u\t%s\n", i, entry.StorageMode, entry.Size,
                     d.Names.c_str() + entry.NameOffset);
    }
    std::fflush(Out);
    return SecondsSince(start);
}

} // namespace trovel::bench
