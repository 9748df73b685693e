#pragma once

#include <cstddef>
#include <limits>
#include <new>

namespace trovel {

// Memory for the directory tables, which can run to tens of megabytes and are
// filled right after they are allocated. Large blocks are asked for in huge
// pages where the system offers them: faulting them in 4 KiB at a time made
// opening a million-entry archive several times slower on virtual machines.
// Small blocks come from the ordinary heap.
void *AllocateBulk(std::size_t Size); // raises std::bad_alloc
void ReleaseBulk(void *Memory, std::size_t Size) noexcept;

template <typename T>
class TBulkAllocator
{
public:
    using value_type = T;

    TBulkAllocator() noexcept = default;
    template <typename U>
    TBulkAllocator(const TBulkAllocator<U> &) noexcept
    {
    }

    T *allocate(std::size_t Count)
    {
        if (Count > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T *>(AllocateBulk(Count * sizeof(T)));
    }
    void deallocate(T *Memory, std::size_t Count) noexcept
    {
        ReleaseBulk(Memory, Count * sizeof(T));
    }

    friend bool operator==(const TBulkAllocator &, const TBulkAllocator &) noexcept { return true; }
};

} // namespace trovel
