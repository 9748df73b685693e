#include "ZlibInflater.h"

#include "ArcErrors.h"

#include <algorithm>
#include <limits>
#include <zlib.h>

namespace trovel {

namespace {

constexpr std::size_t InputChunk = 256 * 1024;
constexpr std::size_t OutputChunk = 256 * 1024;

} // namespace

TZlibInflater::TZlibInflater() : FStream(std::make_unique<z_stream>())
{
    // The default window size and zlib wrapper are those of uncompress().
    const int status = inflateInit(FStream.get());
    if (status != Z_OK) {
        FStream.reset();
        throw EOutOfMemory();
    }
}

TZlibInflater::~TZlibInflater()
{
    if (FStream)
        inflateEnd(FStream.get());
}

bool TZlibInflater::Inflate(std::uint64_t InputLength, std::uint32_t Limit, const TSource &Source,
                            const TSink &Sink)
{
    z_stream &stream = *FStream;
    inflateReset(&stream);
    stream.avail_in = 0;

    // Input and output pass through one chunk each, whatever a part claims;
    // the output chunk is no larger than the part itself.
    if (!FInput)
        FInput = std::make_unique_for_overwrite<unsigned char[]>(InputChunk);
    const std::size_t chunk = std::clamp<std::size_t>(Limit, 1, OutputChunk);
    if (FOutputSize < chunk) {
        FOutput = std::make_unique_for_overwrite<unsigned char[]>(chunk);
        FOutputSize = chunk;
    }

    std::uint64_t unread = InputLength;
    std::uint64_t produced = 0;
    for (;;) {
        if (stream.avail_in == 0 && unread > 0) {
            const auto piece =
                static_cast<std::size_t>(std::min<std::uint64_t>(unread, InputChunk));
            Source(InputLength - unread, FInput.get(), piece);
            stream.next_in = FInput.get();
            stream.avail_in = static_cast<uInt>(piece);
            unread -= piece;
        }
        stream.next_out = FOutput.get();
        stream.avail_out = static_cast<uInt>(chunk);
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_MEM_ERROR)
            throw EOutOfMemory();

        const std::size_t got = chunk - stream.avail_out;
        const std::uint64_t room = Limit - std::min<std::uint64_t>(produced, Limit);
        Sink(FOutput.get(), static_cast<std::size_t>(std::min<std::uint64_t>(got, room)));
        produced += got;
        if (produced > Limit)
            return false;

        if (status == Z_STREAM_END)
            return true;
        // With output room given and input left, inflate always makes
        // progress; Z_BUF_ERROR therefore means the input ran out before the
        // stream's end. Every other code is damaged data or a missing
        // dictionary.
        if (status != Z_OK)
            return false;
    }
}

bool TZlibInflater::InflateWhole(const unsigned char *Input, std::size_t InputLength,
                                 unsigned char *Output, std::uint32_t Limit, std::size_t &Produced)
{
    if (InputLength > std::numeric_limits<uInt>::max())
        return false;
    z_stream &stream = *FStream;
    inflateReset(&stream);
    stream.next_in = const_cast<unsigned char *>(Input);
    stream.avail_in = static_cast<uInt>(InputLength);
    stream.next_out = Output;
    stream.avail_out = Limit;
    const int status = inflate(&stream, Z_FINISH);
    if (status == Z_MEM_ERROR)
        throw EOutOfMemory();
    Produced = Limit - stream.avail_out;
    return status == Z_STREAM_END;
}

} // namespace trovel
