// The inflater of compressed parts: the verdicts and bytes of the design's
// rules, and, where the build has ISA-L, the same from both inflaters.
#include "ArchiveTesting.h"
#include "ExtractBuffers.h"
#include "ZlibInflater.h"

#include <random>
#include <zlib.h>

using namespace trovel;
using namespace trovel::testing;

namespace {

struct TOutcome
{
    bool Inflated = false;
    std::string Bytes;
    friend bool operator==(const TOutcome &, const TOutcome &) = default;
};

template <typename TInflater>
TOutcome Inflate(const std::string &Stream, std::uint32_t Limit)
{
    TInflater inflater;
    TOutcome outcome;
    outcome.Inflated = inflater.Inflate(
        Stream.size(), Limit,
        [&](std::uint64_t Offset, unsigned char *Buffer, std::size_t Length) {
            Stream.copy(reinterpret_cast<char *>(Buffer), Length, Offset);
        },
        [&](const unsigned char *Data, std::size_t Length) {
            outcome.Bytes.append(reinterpret_cast<const char *>(Data), Length);
        });
    return outcome;
}

std::string Noise(std::size_t Size)
{
    std::mt19937 random(3);
    std::string data(Size, '\0');
    for (char &c : data)
        c = static_cast<char>('a' + random() % 11);
    return data;
}

const std::string Big = Noise(700000); // more than two output buffers

std::string Damaged(std::string Stream, std::size_t At)
{
    Stream[At] ^= 0x5A;
    return Stream;
}

std::string WithDictionary()
{
    z_stream stream{};
    deflateInit(&stream, 6);
    deflateSetDictionary(&stream, reinterpret_cast<const Bytef *>("dict"), 4);
    std::string out(100, '\0');
    std::string in = "dictionary text";
    stream.next_in = reinterpret_cast<Bytef *>(in.data());
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

struct TStreamCase
{
    const char *Label;
    std::string Stream;
    std::uint32_t Limit;
    bool Inflates;
    std::size_t Bytes; // what is handed on; npos: not pinned beyond agreement
};

constexpr std::size_t Any = std::string::npos;

std::vector<TStreamCase> Cases()
{
    const std::string big = Deflate(Big);
    std::string badAdler = big;
    badAdler.back() ^= 1;
    std::string window = Deflate("text");
    window[0] = static_cast<char>(0x88); // CINFO 8, check bits right
    window[1] = 0x1C;
    return {
        {"whole", big, 700000, true, 700000},
        {"claims more", big, 800000, true, 700000},
        {"claims less", big, 699999, false, 699999},
        {"claims nothing", Deflate(""), 0, true, 0},
        {"stored blocks", Deflate(Big, 0), 700000, true, 700000},
        {"trailing bytes", big + "junk", 700000, true, 700000},
        {"bad Adler-32", badAdler, 700000, false, 700000},
        {"cut short", big.substr(0, big.size() / 2), 700000, false, Any},
        {"damaged late", Damaged(big, big.size() - 100), 700000, false, Any},
        {"damaged early", Damaged(big, 40), 700000, false, Any},
        {"window over 32 KiB", window, 100, false, 0},
        {"preset dictionary", WithDictionary(), 100, false, 0},
        {"not deflate", std::string("\x79\x9c", 2) + big.substr(2), 700000, false, 0},
        {"one byte", big.substr(0, 1), 700000, false, 0},
        {"no bytes", "", 700000, false, 0},
    };
}

} // namespace

TEST(TInflaterTest, partsInflateByTheRules)
{
    for (const TStreamCase &c : Cases()) {
        const TOutcome outcome = Inflate<TPartInflater>(c.Stream, c.Limit);
        EXPECT_EQ(outcome.Inflated, c.Inflates) << c.Label;
        if (c.Bytes != Any) {
            EXPECT_EQ(outcome.Bytes.size(), c.Bytes) << c.Label;
            EXPECT_TRUE(Big.starts_with(outcome.Bytes)) << c.Label;
        }
    }
}

TEST(TInflaterTest, wholeStreamsInflateAsInPieces)
{
    // Inflating a stream held whole in memory succeeds exactly where
    // inflating it in pieces does, with the same bytes; a stream it cannot
    // take is left to the pieces.
    TPartInflater inflater;
    for (const TStreamCase &c : Cases()) {
        const TOutcome pieces = Inflate<TPartInflater>(c.Stream, c.Limit);
        std::string output(std::max<std::uint32_t>(c.Limit, 1), '\0');
        std::size_t produced = 0;
        const bool whole = inflater.InflateWhole(
            reinterpret_cast<const unsigned char *>(c.Stream.data()), c.Stream.size(),
            reinterpret_cast<unsigned char *>(output.data()), c.Limit, produced);
        EXPECT_EQ(whole, pieces.Inflated) << c.Label;
        if (whole) {
            EXPECT_TRUE(output.substr(0, produced) == pieces.Bytes) << c.Label;
        }
    }
}

#if TROVEL_INFLATER_ISAL
TEST(TInflaterTest, isalAndZlibAgree)
{
    // A stream that fails is decided by zlib, also for the bytes after the
    // buffers ISA-L handed on.
    for (const TStreamCase &c : Cases()) {
        const TOutcome zlib = Inflate<TZlibInflater>(c.Stream, c.Limit);
        const TOutcome isal = Inflate<TIsalInflater>(c.Stream, c.Limit);
        EXPECT_EQ(isal.Inflated, zlib.Inflated) << c.Label;
        EXPECT_TRUE(isal.Bytes == zlib.Bytes)
            << c.Label << ": ISA-L " << isal.Bytes.size() << " bytes, zlib " << zlib.Bytes.size();
    }
}
#endif
