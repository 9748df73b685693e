#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct z_stream_s;

namespace trovel {

// Inflates complete zlib streams (zlib wrapper, window of at most 32 KiB,
// Adler-32 checked) exactly as zlib's one-shot uncompress() accepts them, but
// takes the input and hands on the output in pieces of a fixed size, so memory
// does not grow with the sizes a stream claims. One inflater serves many
// streams in turn.
class TZlibInflater final
{
public:
    // Fills Buffer with exactly the Length bytes of the stream that start at
    // Offset, or raises. Offsets run forward, except that an inflater may
    // read a stream a second time from its start.
    using TSource =
        std::function<void(std::uint64_t Offset, unsigned char *Buffer, std::size_t Length)>;
    using TSink = std::function<void(const unsigned char *Data, std::size_t Length)>;

    TZlibInflater();
    ~TZlibInflater();
    TZlibInflater(const TZlibInflater &) = delete;
    TZlibInflater &operator=(const TZlibInflater &) = delete;

    // Inflates one stream of InputLength bytes, taken from Source only as far
    // as the stream needs them. Returns false when the input is not a
    // complete, valid stream or inflates to more than Limit bytes; the output
    // handed to Sink before the fault was found stays handed on. A damaged
    // header is found in the first piece of input.
    bool Inflate(std::uint64_t InputLength, std::uint32_t Limit, const TSource &Source,
                 const TSink &Sink);

    // Inflates one whole stream held in memory straight into Output, which
    // has room for Limit bytes. True, with Produced set, only when the stream
    // is complete and valid and inflates to at most Limit bytes; otherwise
    // Output holds nothing of use, and Inflate tells what the stream gives.
    bool InflateWhole(const unsigned char *Input, std::size_t InputLength, unsigned char *Output,
                      std::uint32_t Limit, std::size_t &Produced);

private:
    std::unique_ptr<z_stream_s> FStream;
    std::unique_ptr<unsigned char[]> FInput;
    std::unique_ptr<unsigned char[]> FOutput;
    std::size_t FOutputSize = 0;
};

} // namespace trovel
