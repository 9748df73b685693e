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
    // Fills the buffer with exactly the next length bytes of the stream, or
    // raises.
    using Source = std::function<void(unsigned char *buffer, std::size_t length)>;
    using Sink = std::function<void(const unsigned char *data, std::size_t length)>;

    TZlibInflater();
    ~TZlibInflater();
    TZlibInflater(const TZlibInflater &) = delete;
    TZlibInflater &operator=(const TZlibInflater &) = delete;

    // Inflates one stream of inputLength bytes, taken from source only as far
    // as the stream needs them. Returns false when the input is not a
    // complete, valid stream or inflates to more than limit bytes; the output
    // handed to sink before the fault was found stays handed on. A damaged
    // header is found in the first piece of input.
    bool Inflate(std::uint64_t inputLength, std::uint32_t limit, const Source &source,
                 const Sink &sink);

private:
    std::unique_ptr<z_stream_s> FStream;
    std::unique_ptr<unsigned char[]> FInput;
    std::unique_ptr<unsigned char[]> FOutput;
    std::size_t FOutputSize = 0;
};

} // namespace trovel
