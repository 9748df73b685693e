#pragma once

#include "ZlibInflater.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct inflate_state;

namespace trovel {

// Inflates the streams TZlibInflater inflates, with ISA-L's faster decoder,
// and gives the same verdict and hands on the same bytes. Both are certain
// only for streams that inflate: a stream that fails here is inflated once
// more by zlib, which then decides the verdict and the bytes after those
// already handed on. To keep those few, output goes on a buffer of 256 KiB
// at a time, once the decoder has moved past that buffer without a fault;
// the last one waits for the end of the stream, so a stream of at most
// 256 KiB hands on nothing before its verdict.
//
// One difference remains, decided in favour of the decoder: a stream with a
// block whose code tables zlib refuses (an incomplete or over-full set of
// code lengths, more length or distance codes than a block may have) but
// which ISA-L decodes to bytes whose Adler-32 matches the trailer is
// accepted here with those bytes; and when a stream fails more than a
// buffer's length after such a block, the buffers before the fault are
// handed on, of which zlib would have handed on none. No compressor writes
// such tables; the differential fuzzer lets exactly these cases pass.
class TIsalInflater final
{
public:
    using TSource = TZlibInflater::TSource;
    using TSink = TZlibInflater::TSink;

    TIsalInflater();
    ~TIsalInflater();
    TIsalInflater(const TIsalInflater &) = delete;
    TIsalInflater &operator=(const TIsalInflater &) = delete;

    // As TZlibInflater::Inflate.
    bool Inflate(std::uint64_t InputLength, std::uint32_t Limit, const TSource &Source,
                 const TSink &Sink);

    // As TZlibInflater::InflateWhole.
    bool InflateWhole(const unsigned char *Input, std::size_t InputLength, unsigned char *Output,
                      std::uint32_t Limit, std::size_t &Produced);

private:
    // Hands on what it inflated without a fault and counts it in Emitted;
    // false when the stream failed here, whatever the reason.
    bool InflateFast(std::uint64_t InputLength, std::uint32_t Limit, const TSource &Source,
                     const TSink &Sink, std::uint64_t &Emitted);

    std::unique_ptr<inflate_state> FState;
    std::unique_ptr<unsigned char[]> FInput;
    std::unique_ptr<unsigned char[]> FOutput[2];
    std::size_t FOutputSize = 0;
    std::unique_ptr<TZlibInflater> FReference; // for the streams that fail
};

} // namespace trovel
