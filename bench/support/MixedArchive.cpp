#include "MixedArchive.h"

#include "BenchArchiveWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>
#include <zlib.h>

namespace trovel::bench {

namespace {

// Text-like data (compresses about 3:1) or noisy binary data (about 1.3:1).
std::string makeData(std::mt19937_64 &random, std::size_t size, bool text)
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
    data.reserve(size + 16);
    while (data.size() < size) {
        if (text) {
            data += words[random() % words.size()];
            data += random() % 12 == 0 ? '\n' : ' ';
        } else {
            const std::uint64_t value = random();
            const int run = static_cast<int>(value % 8);
            data.append(run, static_cast<char>(value >> 8));
            data += static_cast<char>(value >> 16);
            data += static_cast<char>(value >> 24);
        }
    }
    data.resize(size);
    return data;
}

CompressedPart compress(const std::string &data)
{
    uLongf length = compressBound(data.size());
    CompressedPart part;
    part.Stream.resize(length);
    compress2(reinterpret_cast<Bytef *>(part.Stream.data()), &length,
              reinterpret_cast<const Bytef *>(data.data()), data.size(), 6);
    part.Stream.resize(length);
    part.Size = static_cast<std::uint32_t>(data.size());
    return part;
}

} // namespace

MixedArchive writeMixedArchive(const std::string &path, std::uint64_t bytes)
{
    std::mt19937_64 random(2024);
    // A pool of parts from 8 KiB to 512 KiB; each entry writes its own copies.
    std::vector<CompressedPart> pool;
    for (int i = 0; i < 64; ++i) {
        const auto size = static_cast<std::size_t>(8192 * std::pow(64.0, (i % 16) / 15.0));
        pool.push_back(compress(makeData(random, size + random() % 4096, i % 4 != 0)));
    }
    const std::string storedSource = makeData(random, 1 << 20, false);

    MixedArchive info;
    TBenchArchiveWriter writer(path);
    std::uint64_t written = 28;
    char name[64];
    for (int file = 0; written < bytes; ++file) {
        const int folder = static_cast<int>(random() % MixedArchiveFolders);
        std::snprintf(name, sizeof name, "area%02d/zone%02d/file%05d.bin", folder / 20, folder % 20,
                      file);
        if (random() % 2 == 0) {
            const auto size =
                static_cast<std::size_t>(256 * std::pow(2048.0, (random() % 1000) / 999.0));
            const std::size_t from = random() % (storedSource.size() - size + 1);
            writer.AddStored(name, std::string_view(storedSource).substr(from, size));
            written += size;
            info.outputBytes += size;
            ++info.stored;
        } else {
            std::vector<const CompressedPart *> parts;
            const int count = 1 + static_cast<int>(random() % 6);
            for (int p = 0; p < count; ++p) {
                const CompressedPart *part = &pool[random() % pool.size()];
                parts.push_back(part);
                written += part->Stream.size();
                info.outputBytes += part->Size;
                info.largestPart =
                    std::max<std::uint64_t>(info.largestPart, part->Stream.size() + part->Size);
            }
            writer.AddCompressed(name, parts);
            info.parts += count;
            ++info.compressed;
        }
    }
    info.bytes = writer.Finish();
    return info;
}

void writeWideArchive(const std::string &path, int entries)
{
    TBenchArchiveWriter writer(path);
    char name[64];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(name, sizeof name, "folder%03d/sub%02d/file%07d.dat", i % 997, i % 31, i);
        writer.AddStored(name, "");
    }
    writer.Finish();
}

} // namespace trovel::bench
