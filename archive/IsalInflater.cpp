#include "IsalInflater.h"

#include <algorithm>
#include <isa-l/igzip_lib.h>
#include <limits>

namespace trovel {

namespace {

constexpr std::size_t InputChunk = 256 * 1024;
constexpr std::size_t OutputChunk = 256 * 1024;

// The two bytes before the deflate data, held to the rules zlib's
// inflateInit() applies: method 8, a window of at most 32 KiB, the check
// bits right, and no preset dictionary.
bool IsZlibHeader(unsigned char Cmf, unsigned char Flg)
{
    const bool deflate = (Cmf & 0x0F) == 8 && (Cmf >> 4) <= 7;
    const bool checked = ((unsigned{Cmf} << 8) | Flg) % 31 == 0;
    const bool dictionary = (Flg & 0x20) != 0;
    return deflate && checked && !dictionary;
}

} // namespace

TIsalInflater::TIsalInflater() : FState(std::make_unique<inflate_state>()) {}

TIsalInflater::~TIsalInflater() = default;

bool TIsalInflater::Inflate(std::uint64_t InputLength, std::uint32_t Limit, const TSource &Source,
                            const TSink &Sink)
{
    std::uint64_t emitted = 0;
    if (InflateFast(InputLength, Limit, Source, Sink, emitted))
        return true;

    // zlib reads the stream again; of its output only what lies beyond the
    // bytes already handed on goes on.
    if (!FReference)
        FReference = std::make_unique<TZlibInflater>();
    std::uint64_t seen = 0;
    const auto rest = [&](const unsigned char *Data, std::size_t Length) {
        const std::uint64_t skip = emitted - std::min(seen, emitted);
        if (Length > skip)
            Sink(Data + skip, static_cast<std::size_t>(Length - skip));
        seen += Length;
    };
    return FReference->Inflate(InputLength, Limit, Source, rest);
}

bool TIsalInflater::InflateFast(std::uint64_t InputLength, std::uint32_t Limit,
                                const TSource &Source, const TSink &Sink, std::uint64_t &Emitted)
{
    if (InputLength < 2)
        return false;
    if (!FInput)
        FInput = std::make_unique_for_overwrite<unsigned char[]>(InputChunk);
    const std::size_t chunk = std::clamp<std::size_t>(Limit, 1, OutputChunk);
    if (FOutputSize < chunk) {
        for (auto &output : FOutput)
            output = std::make_unique_for_overwrite<unsigned char[]>(chunk);
        FOutputSize = chunk;
    }

    inflate_state &state = *FState;
    isal_inflate_init(&state);
    // The header is checked here; ISA-L takes the deflate data and checks the
    // Adler-32 trailer after it. A window of 32 KiB, whatever the header says,
    // is what zlib allows too.
    state.crc_flag = ISAL_ZLIB_NO_HDR_VER;
    state.hist_bits = 0;

    std::uint64_t unread = InputLength;
    const auto readPiece = [&] {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(unread, InputChunk));
        Source(InputLength - unread, FInput.get(), piece);
        unread -= piece;
        state.next_in = FInput.get();
        state.avail_in = static_cast<std::uint32_t>(piece);
    };
    readPiece();
    if (!IsZlibHeader(FInput[0], FInput[1]))
        return false;
    state.next_in += 2;
    state.avail_in -= 2;

    std::uint64_t produced = 0;
    std::size_t filled = 0;  // bytes in the current output buffer
    std::size_t pending = 0; // bytes in the other one, full, not yet handed on
    int current = 0;
    for (;;) {
        if (state.avail_in == 0 && unread > 0)
            readPiece();
        const std::uint32_t inBefore = state.avail_in;
        const std::size_t room = chunk - filled;
        state.next_out = FOutput[current].get() + filled;
        state.avail_out = static_cast<std::uint32_t>(room);
        const int status = isal_inflate(&state);
        if (status < 0 || status == ISAL_NEED_DICT)
            return false;

        // The decoder went on past the full buffer without a fault.
        if (pending > 0) {
            Sink(FOutput[1 - current].get(), pending);
            Emitted += pending;
            pending = 0;
        }
        const std::size_t got = room - state.avail_out;
        filled += got;
        produced += got;
        if (produced > Limit)
            return false;

        if (state.block_state == ISAL_BLOCK_FINISH) {
            if (filled > 0)
                Sink(FOutput[current].get(), filled);
            Emitted += filled;
            return true;
        }
        if (filled == chunk) {
            pending = filled;
            filled = 0;
            current = 1 - current;
            continue;
        }
        // With output room left, the decoder stops only for want of input:
        // once the input is all read, the stream is cut short. A call that
        // neither took input nor gave output would never end.
        if (state.avail_in == 0 && unread == 0)
            return false;
        if (got == 0 && state.avail_in == inBefore)
            return false;
    }
}

bool TIsalInflater::InflateWhole(const unsigned char *Input, std::size_t InputLength,
                                 unsigned char *Output, std::uint32_t Limit, std::size_t &Produced)
{
    if (InputLength < 2 || InputLength > std::numeric_limits<std::uint32_t>::max() ||
        !IsZlibHeader(Input[0], Input[1]))
        return false;
    inflate_state &state = *FState;
    isal_inflate_init(&state);
    state.crc_flag = ISAL_ZLIB_NO_HDR_VER;
    state.hist_bits = 0;
    state.next_in = const_cast<unsigned char *>(Input + 2);
    state.avail_in = static_cast<std::uint32_t>(InputLength - 2);
    state.next_out = Output;
    state.avail_out = Limit;
    for (;;) {
        const std::uint32_t inBefore = state.avail_in;
        const std::uint32_t outBefore = state.avail_out;
        const int status = isal_inflate(&state);
        if (status < 0 || status == ISAL_NEED_DICT)
            return false;
        if (state.block_state == ISAL_BLOCK_FINISH) {
            Produced = Limit - state.avail_out;
            return true;
        }
        // Out of input or of room, or stuck: Inflate decides.
        if (state.avail_in == 0 || state.avail_out == 0 ||
            (state.avail_in == inBefore && state.avail_out == outBefore))
            return false;
    }
}

} // namespace trovel
