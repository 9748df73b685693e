// The entry in hand, shared by the platforms' Ctrl+C handlers.
#include "Interruption.h"

#include <atomic>
#include <string>

namespace trovel {

namespace {

// The name of the entry in hand, in two slots: a name is written into the
// slot that is not published and then published, so the handler, which may
// interrupt the writing, always reads a whole name.
std::string Slots[2];
std::atomic<int> Published{-1};
static_assert(std::atomic<int>::is_always_lock_free);

} // namespace

void SetEntryInHand(std::string_view Name)
{
    const int next = Published.load(std::memory_order_relaxed) == 0 ? 1 : 0;
    Slots[next].assign(Name);
    Published.store(next, std::memory_order_release);
}

void ClearEntryInHand()
{
    Published.store(-1, std::memory_order_release);
}

void ReportEntryInHand(void (*Put)(std::string_view))
{
    const int slot = Published.load(std::memory_order_acquire);
    if (slot >= 0) {
        Put("trovel-cli: ");
        Put(Slots[slot]);
        Put(": interrupted, left unfinished\n");
    }
}

} // namespace trovel
