#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct z_stream_s;

namespace trovel {

// Inflates complete zlib streams (zlib wrapper, window of at most 32 KiB,
// Adler-32 checked) exactly as zlib's one-shot uncompress() accepts them, but
// hands the output on in pieces, so memory does not grow with the size a
// stream claims to inflate to. One inflater serves many streams in turn.
class TZlibInflater final
{
public:
    using Sink = std::function<void(const unsigned char *data, std::size_t length)>;

    TZlibInflater();
    ~TZlibInflater();
    TZlibInflater(const TZlibInflater &) = delete;
    TZlibInflater &operator=(const TZlibInflater &) = delete;

    // Inflates one stream. Returns false when the input is not a complete,
    // valid stream or inflates to more than limit bytes; the output handed to
    // sink before the fault was found stays handed on.
    bool Inflate(const unsigned char *input, std::size_t inputLength, std::uint32_t limit,
                 const Sink &sink);

private:
    std::unique_ptr<z_stream_s> FStream;
    std::unique_ptr<unsigned char[]> FOutput;
    std::size_t FOutputSize = 0;
};

} // namespace trovel
