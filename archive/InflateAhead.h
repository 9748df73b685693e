#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace trovel {

class TExtractBuffers;

// What an entry's data would hand to a sink, held in memory: its bytes and
// the error that ended it, if any.
struct TInflatedEntry
{
    std::unique_ptr<unsigned char[]> Bytes;
    std::size_t Size = 0;
    std::exception_ptr Error;
};

// Inflates the compressed entries of a run on threads of its own, ahead of
// the one thread that takes them in the run's order. The taking thread
// writes (or tests) them, so files are still written one after another in
// entry order, and an entry that is never taken is never written. Memory is
// bounded: an entry is inflated ahead only when what it claims fits the
// budget, and at most Budget bytes of entries are held at once; larger
// entries are left to the taking thread.
class TInflateAhead final
{
public:
    // The entry at a position of the run.
    using TIndexAt = std::function<std::int32_t(std::size_t Position)>;
    // The most bytes an entry's data can come to when it is worth inflating
    // ahead (a compressed entry), none otherwise.
    using TClaimOf = std::function<std::optional<std::uint64_t>(std::int32_t Index)>;
    // Puts an entry's data, at most Claim bytes, into Entry's Bytes and Size;
    // runs on the workers, so it must only read what no one changes during
    // the run. What it raises is kept as the entry's Error.
    using TWork = std::function<void(std::int32_t Index, std::uint64_t Claim, TInflatedEntry &Entry,
                                     TExtractBuffers &Buffers)>;

    // Entries claiming more than this are left to the taking thread.
    static constexpr std::uint64_t EntryLimit = 4u << 20;
    // Entries held at most, whatever their size, so that tiny entries do not
    // pile up.
    static constexpr std::size_t MaxAhead = 256;

    TInflateAhead(std::size_t Count, TIndexAt IndexAt, TClaimOf ClaimOf, TWork Work,
                  unsigned Threads);
    // Stops the workers after the entry each has in hand.
    ~TInflateAhead();
    TInflateAhead(const TInflateAhead &) = delete;
    TInflateAhead &operator=(const TInflateAhead &) = delete;

    // The taking thread moves on to the entry Index. Entries are entered in
    // the run's order; an entry out of that order ends the inflating ahead.
    void Enter(std::int32_t Index);
    // The data of the entered entry, when that is Index, inflated ahead,
    // waiting for it if a worker has it in hand; none when it is the
    // caller's to read.
    std::unique_ptr<TInflatedEntry> TakeCurrent(std::int32_t Index);

private:
    struct TSlot
    {
        TInflatedEntry Entry;
        std::uint64_t Bytes = 0;
        bool Done = false;
        bool Abandoned = false; // passed by the taking thread while in hand
    };

    void RunWorker();
    // Under the lock: skips to the next position worth inflating ahead.
    bool FindNext(std::uint64_t &Bytes);
    void Release(std::uint64_t Bytes);

    const std::size_t FCount;
    const TIndexAt FIndexAt;
    const TClaimOf FClaimOf;
    const TWork FWork;
    const std::uint64_t FBudget;

    std::mutex FMutex;
    std::condition_variable FRoom;  // for the workers: budget freed, run moved on
    std::condition_variable FReady; // for the taking thread: an entry done
    std::map<std::size_t, std::unique_ptr<TSlot>> FSlots;
    std::size_t FNext = 0;    // the next position a worker looks at
    std::size_t FEntered = 0; // positions the taking thread has entered
    std::size_t FCurrent = 0; // the position it is at, when FHasCurrent
    bool FHasCurrent = false;
    std::uint64_t FInFlight = 0; // bytes claimed by the entries held or in hand
    std::uint64_t FHeld = 0;     // of those, the entry taken last
    bool FStop = false;
    std::vector<std::jthread> FWorkers;
};

} // namespace trovel
