#include "MixedArchive.h"

#include "ArchiveWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace trovel::bench {

using testing::TArchiveWriter;
using testing::TRawPart;

namespace {

// Text-like data (compresses about 3:1) or noisy binary data (about 1.3:1).
std::string MakeData(std::mt19937_64 &Random, std::size_t Size, bool Text)
{
    static const std::vector<std::string> words = [] {
        std::mt19937 wordRandom(1);
        std::vector<std::string> list;
        for (int i = 0; i < 400; ++i) {
            std::string word;
            const int length = 2 + static_cast<int>(wordRandom() % 9);
            for (int c = 0; c < length; ++c)
                word += static_cast<char>('a' + wordRandom() % 26);
            list.push_back(word);
        }
        return list;
    }();
    std::string data;
    data.reserve(Size + 16);
    while (data.size() < Size) {
        if (Text) {
            data += words[Random() % words.size()];
            data += Random() % 12 == 0 ? '\n' : ' ';
        } else {
            const std::uint64_t value = Random();
            const int run = static_cast<int>(value % 8);
            data.append(run, static_cast<char>(value >> 8));
            data += static_cast<char>(value >> 16);
            data += static_cast<char>(value >> 24);
        }
    }
    data.resize(Size);
    return data;
}

TRawPart Compress(const std::string &Data)
{
    return {testing::Deflate(Data), static_cast<std::uint32_t>(Data.size())};
}

} // namespace

TMixedArchive WriteMixedArchive(const std::string &Path, std::uint64_t Bytes)
{
    std::mt19937_64 random(2024);
    // A pool of parts from 8 KiB to 512 KiB; each entry writes its own copies.
    std::vector<TRawPart> pool;
    for (int i = 0; i < 64; ++i) {
        const auto size = static_cast<std::size_t>(8192 * std::pow(64.0, (i % 16) / 15.0));
        pool.push_back(Compress(MakeData(random, size + random() % 4096, i % 4 != 0)));
    }
    const std::string storedSource = MakeData(random, 1 << 20, false);

    TMixedArchive info;
    TArchiveWriter writer(Path);
    char name[64];
    for (int file = 0; writer.Size() < Bytes; ++file) {
        const int folder = static_cast<int>(random() % MixedArchiveFolders);
        std::snprintf(name, sizeof name, "area%02d/zone%02d/file%05d.bin", folder / 20, folder % 20,
                      file);
        if (random() % 2 == 0) {
            const auto size =
                static_cast<std::size_t>(256 * std::pow(2048.0, (random() % 1000) / 999.0));
            const std::size_t from = random() % (storedSource.size() - size + 1);
            writer.AddStored(name, std::string_view(storedSource).substr(from, size));
            info.OutputBytes += size;
            ++info.Stored;
        } else {
            std::vector<const TRawPart *> parts;
            const int count = 1 + static_cast<int>(random() % 6);
            for (int p = 0; p < count; ++p) {
                const TRawPart *part = &pool[random() % pool.size()];
                parts.push_back(part);
                info.OutputBytes += part->UncompressedSize;
                info.LargestPart = std::max<std::uint64_t>(
                    info.LargestPart, part->Stream.size() + part->UncompressedSize);
            }
            writer.AddCompressed(name, parts);
            info.Parts += count;
            ++info.Compressed;
        }
    }
    writer.Finish();
    info.Bytes = writer.Size();
    return info;
}

void WriteWideArchive(const std::string &Path, int Entries)
{
    TArchiveWriter writer(Path);
    char name[64];
    for (int i = 0; i < Entries; ++i) {
        std::snprintf(name, sizeof name, "folder%03d/sub%02d/file%07d.dat", i % 997, i % 31, i);
        writer.AddStored(name, "");
    }
    writer.Finish();
}

} // namespace trovel::bench
