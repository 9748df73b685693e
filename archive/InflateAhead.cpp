#include "InflateAhead.h"

#include "ExtractBuffers.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

namespace trovel {

TInflateAhead::TInflateAhead(std::size_t Count, TIndexAt IndexAt, TClaimOf ClaimOf, TWork Work,
                             unsigned Threads)
    : FCount(Count), FIndexAt(std::move(IndexAt)), FClaimOf(std::move(ClaimOf)),
      FWork(std::move(Work)), FBudget(std::max(2u, Threads) * EntryLimit)
{
    try {
        for (unsigned i = 0; i < Threads; ++i)
            FWorkers.emplace_back([this] { RunWorker(); });
    } catch (const std::system_error &) {
        // Fewer workers, or none: the taking thread reads the rest itself.
    }
}

TInflateAhead::~TInflateAhead()
{
    {
        const std::lock_guard lock(FMutex);
        FStop = true;
    }
    FRoom.notify_all();
    FWorkers.clear(); // joins
}

bool TInflateAhead::FindNext(std::uint64_t &Bytes)
{
    for (; FNext < FCount; ++FNext) {
        const std::optional<std::uint64_t> claim = FClaimOf(FIndexAt(FNext));
        if (claim && *claim <= EntryLimit) {
            Bytes = *claim;
            return true;
        }
    }
    return false;
}

void TInflateAhead::RunWorker()
{
    TExtractBuffers buffers;
    std::unique_lock lock(FMutex);
    for (;;) {
        std::uint64_t bytes = 0;
        for (;;) {
            if (FStop || !FindNext(bytes))
                return;
            const bool fits = FInFlight == 0 || FInFlight + bytes <= FBudget;
            const std::size_t from = FHasCurrent ? FCurrent : FEntered;
            if (fits && FNext < from + MaxAhead)
                break;
            FRoom.wait(lock);
        }
        const std::size_t position = FNext;
        TSlot *slot = nullptr;
        try {
            slot = FSlots.emplace(position, std::make_unique<TSlot>()).first->second.get();
        } catch (const std::bad_alloc &) {
            return; // the taking thread reads the entry itself
        }
        ++FNext;
        TSlot &mine = *slot;
        mine.Bytes = bytes;
        FInFlight += bytes;
        const std::int32_t index = FIndexAt(position);
        lock.unlock();

        try {
            FWork(index, bytes, mine.Entry, buffers);
        } catch (...) {
            mine.Entry.Error = std::current_exception();
        }

        lock.lock();
        mine.Done = true;
        if (mine.Abandoned) {
            Release(mine.Bytes);
            FSlots.erase(position);
        }
        FReady.notify_all();
    }
}

void TInflateAhead::Release(std::uint64_t Bytes)
{
    FInFlight -= Bytes;
    FRoom.notify_all();
}

void TInflateAhead::Enter(std::int32_t Index)
{
    const std::lock_guard lock(FMutex);
    Release(std::exchange(FHeld, 0));
    const std::size_t position = FEntered++;
    FHasCurrent = position < FCount && FIndexAt(position) == Index;
    if (!FHasCurrent) {
        // Out of the run's order: nothing ahead can be trusted to be the
        // entry asked for next.
        FStop = true;
        return;
    }
    FCurrent = position;
    // Entries passed over were not taken (their names failed, say); the
    // workers never start on one.
    for (auto it = FSlots.begin(); it != FSlots.end() && it->first < position;) {
        if (it->second->Done) {
            Release(it->second->Bytes);
            it = FSlots.erase(it);
        } else {
            it->second->Abandoned = true;
            ++it;
        }
    }
    FNext = std::max(FNext, position);
}

std::unique_ptr<TInflatedEntry> TInflateAhead::TakeCurrent(std::int32_t Index)
{
    std::unique_lock lock(FMutex);
    if (!FHasCurrent || FIndexAt(FCurrent) != Index)
        return nullptr;
    FHasCurrent = false;
    const std::size_t position = FCurrent;
    auto it = FSlots.find(position);
    if (it == FSlots.end()) {
        // Not begun: the caller reads it itself rather than wait, and no
        // worker starts on it.
        if (FNext == position)
            ++FNext;
        return nullptr;
    }
    FReady.wait(lock, [&] { return it->second->Done; });
    auto entry = std::make_unique<TInflatedEntry>(std::move(it->second->Entry));
    FHeld = it->second->Bytes;
    FSlots.erase(it);
    return entry;
}

} // namespace trovel
