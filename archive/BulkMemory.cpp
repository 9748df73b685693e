#include "BulkMemory.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace trovel {

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;

constexpr std::size_t RoundedToHugePages(std::size_t Size)
{
    return (Size + HugePage - 1) & ~(HugePage - 1);
}

} // namespace

void *AllocateBulk(std::size_t Size)
{
#ifdef __linux__
    if (Size >= HugePage) {
        // Over-allocate by one huge page and trim both ends, so the block
        // starts on a huge-page boundary.
        const std::size_t rounded = RoundedToHugePages(Size);
        void *raw = ::mmap(nullptr, rounded + HugePage, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(raw);
        const std::uintptr_t aligned = (start + HugePage - 1) & ~(HugePage - 1);
        const std::uintptr_t end = start + rounded + HugePage;
        if (aligned > start)
            ::munmap(raw, aligned - start);
        if (end > aligned + rounded)
            ::munmap(reinterpret_cast<void *>(aligned + rounded), end - (aligned + rounded));
        // Only advice: without transparent huge pages the block works as well.
        ::madvise(reinterpret_cast<void *>(aligned), rounded, MADV_HUGEPAGE);
        return reinterpret_cast<void *>(aligned);
    }
#endif
    return ::operator new(Size);
}

void ReleaseBulk(void *Memory, std::size_t Size) noexcept
{
    if (!Memory)
        return;
#ifdef __linux__
    if (Size >= HugePage) {
        ::munmap(Memory, RoundedToHugePages(Size));
        return;
    }
#else
    (void)Size;
#endif
    ::operator delete(Memory);
}

} // namespace trovel
