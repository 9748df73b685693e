#pragma once

#if TROVEL_INFLATER_ISAL
#include "IsalInflater.h"
#else
#include "ZlibInflater.h"
#endif

#include <cstddef>
#include <memory>

namespace trovel {

// The inflater the build chose: ISA-L's where the build found it, zlib's
// elsewhere. Both hand on the same bytes and give the same verdicts.
#if TROVEL_INFLATER_ISAL
using TPartInflater = TIsalInflater;
#else
using TPartInflater = TZlibInflater;
#endif

// Stored data is streamed through a buffer of this size, so an entry of any
// size is copied in bounded memory.
inline constexpr std::size_t CopyBufferSize = 61440;

// Parts whose compressed bytes fit this are inflated ahead in one piece.
inline constexpr std::size_t WholePartLimit = 4u << 20;

// Scratch memory for one extraction call (or for all the tests of a reader),
// reused from entry to entry so that a run over many small entries does not
// allocate for each of them. Its size is fixed, whatever the archive claims.
class TExtractBuffers final
{
public:
    char *Copy()
    {
        if (!FCopy)
            FCopy = std::make_unique_for_overwrite<char[]>(CopyBufferSize);
        return FCopy.get();
    }

    TPartInflater &Inflater()
    {
        if (!FInflater)
            FInflater = std::make_unique<TPartInflater>();
        return *FInflater;
    }

    // Room for a whole compressed part of at most WholePartLimit bytes.
    unsigned char *WholeInput(std::size_t Size)
    {
        if (FWholeInputSize < Size) {
            FWholeInput = std::make_unique_for_overwrite<unsigned char[]>(Size);
            FWholeInputSize = Size;
        }
        return FWholeInput.get();
    }

private:
    std::unique_ptr<char[]> FCopy;
    std::unique_ptr<unsigned char[]> FWholeInput;
    std::size_t FWholeInputSize = 0;
    std::unique_ptr<TPartInflater> FInflater;
};

} // namespace trovel
