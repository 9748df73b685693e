// libFuzzer target: zlib's inflater and ISA-L's must agree on every stream.
// An input is three bytes that choose the part's UncompressedSize (the cap on
// its output), then the stream. Both inflaters must give the same verdict and
// hand on the same bytes; the one difference TIsalInflater documents (code
// tables zlib refuses) is let pass, and only when zlib names that reason.
#include "IsalInflater.h"
#include "ZlibInflater.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <zlib.h>

namespace {

struct TResult
{
    bool Inflated = false;
    std::string Bytes;
};

template <typename TInflater>
TResult Run(TInflater &Inflater, const std::uint8_t *Stream, std::size_t Length,
            std::uint32_t Limit)
{
    TResult result;
    result.Inflated = Inflater.Inflate(
        Length, Limit,
        [&](std::uint64_t Offset, unsigned char *Buffer, std::size_t Count) {
            if (Offset + Count > Length)
                std::abort();
            std::memcpy(Buffer, Stream + Offset, Count);
        },
        [&](const unsigned char *Data, std::size_t Count) {
            result.Bytes.append(reinterpret_cast<const char *>(Data), Count);
        });
    if (result.Bytes.size() > Limit)
        std::abort();
    return result;
}

// zlib's reason for refusing the stream, read by a plain inflate().
std::string ZlibReason(const std::uint8_t *Stream, std::size_t Length)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return {};
    std::string out(1 << 16, '\0');
    stream.next_in = const_cast<Bytef *>(Stream);
    stream.avail_in = static_cast<uInt>(Length);
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = static_cast<uInt>(out.size());
        status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_BUF_ERROR)
            break;
    }
    std::string reason = stream.msg ? stream.msg : "";
    inflateEnd(&stream);
    return reason;
}

// The reasons zlib gives for a block's code tables.
bool IsCodeTableReason(const std::string &Reason)
{
    for (const char *table :
         {"invalid code lengths set", "invalid literal/lengths set", "invalid distances set",
          "too many length or distance symbols", "invalid code -- missing end-of-block",
          "invalid bit length repeat"}) {
        if (Reason == table)
            return true;
    }
    return false;
}

std::uint32_t LimitFrom(const std::uint8_t *Choice)
{
    switch (Choice[0] % 4) {
    case 0:
        return std::uint32_t{Choice[1]} << 8 | Choice[2]; // up to 64 KiB
    case 1:
        return Choice[1]; // a few bytes
    case 2:
        return (1u << 20) + Choice[1]; // about a megabyte
    default:
        return 0xFFFFFFFF; // whatever a part claims
    }
}

void Report(const char *What, const TResult &Zlib, const TResult &Isal, const std::string &Reason)
{
    std::fprintf(stderr, "%s: zlib %s with %zu bytes, ISA-L %s with %zu bytes (zlib: %s)\n", What,
                 Zlib.Inflated ? "inflated" : "failed", Zlib.Bytes.size(),
                 Isal.Inflated ? "inflated" : "failed", Isal.Bytes.size(), Reason.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    if (Size < 3)
        return 0;
    const std::uint32_t limit = LimitFrom(Data);
    const std::uint8_t *stream = Data + 3;
    const std::size_t length = Size - 3;

    static trovel::TZlibInflater zlib;
    static trovel::TIsalInflater isal;
    const TResult byZlib = Run(zlib, stream, length, limit);
    const TResult byIsal = Run(isal, stream, length, limit);
    // A whole stream in memory inflates only where the pieces do, to the same
    // bytes.
    if (limit <= 1u << 20) {
        std::string output(limit + 1, '\0');
        auto *out = reinterpret_cast<unsigned char *>(output.data());
        std::size_t produced = 0;
        if (zlib.InflateWhole(stream, length, out, limit, produced) &&
            (!byZlib.Inflated || output.compare(0, produced, byZlib.Bytes) != 0 ||
             produced != byZlib.Bytes.size()))
            Report("zlib whole and in pieces differ", byZlib, byIsal, "");
        if (isal.InflateWhole(stream, length, out, limit, produced) &&
            (!byIsal.Inflated || output.compare(0, produced, byIsal.Bytes) != 0 ||
             produced != byIsal.Bytes.size()))
            Report("ISA-L whole and in pieces differ", byZlib, byIsal, "");
    }
    if (byZlib.Inflated == byIsal.Inflated && byZlib.Bytes == byIsal.Bytes)
        return 0;

    // The one difference let pass: ISA-L decodes a block whose code tables
    // zlib refuses. zlib then hands on less, and what it hands on begins what
    // ISA-L handed on.
    const std::string reason = ZlibReason(stream, length);
    const bool tables = !byZlib.Inflated && IsCodeTableReason(reason) &&
                        byIsal.Bytes.size() >= byZlib.Bytes.size() &&
                        byIsal.Bytes.compare(0, byZlib.Bytes.size(), byZlib.Bytes) == 0;
    if (!tables)
        Report("the inflaters differ", byZlib, byIsal, reason);
    return 0;
}
