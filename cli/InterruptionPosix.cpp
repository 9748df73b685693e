#include "Interruption.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <string>
#include <unistd.h>

namespace trovel {

namespace {

constexpr int ExitInterrupted = 130;

volatile std::sig_atomic_t Requested = 0;
volatile std::sig_atomic_t EndsAtFirst = 0;
volatile std::sig_atomic_t ErasesLine = 0;

// The name of the entry in hand, in two slots: a name is written into the
// slot that is not published and then published, so the handler, which may
// interrupt the writing, always reads a whole name.
std::string Slots[2];
std::atomic<int> Published{-1};
static_assert(std::atomic<int>::is_always_lock_free);

// Only write(): the handler may run in the middle of anything.
void Put(std::string_view Text)
{
    while (!Text.empty()) {
        const ssize_t done = ::write(STDERR_FILENO, Text.data(), Text.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return;
        Text.remove_prefix(static_cast<std::size_t>(done));
    }
}

[[noreturn]] void EndNow()
{
    if (ErasesLine)
        Put("\r\033[K");
    const int slot = Published.load(std::memory_order_acquire);
    if (slot >= 0) {
        Put("trovel-cli: ");
        Put(Slots[slot]);
        Put(": interrupted, left unfinished\n");
    }
    ::_exit(ExitInterrupted);
}

extern "C" void OnInterrupt(int)
{
    if (Requested || EndsAtFirst)
        EndNow();
    Requested = 1;
}

} // namespace

void InstallInterruptHandler(TInterruptMode Mode, bool EraseProgressLine)
{
    EndsAtFirst = Mode == TInterruptMode::EndAtOnce;
    ErasesLine = EraseProgressLine;
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // Calls the first Ctrl+C interrupts go on: the entry in hand is finished.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested()
{
    return Requested != 0;
}

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

} // namespace trovel
