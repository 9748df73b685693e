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
void put(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t done = ::write(STDERR_FILENO, text.data(), text.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(done));
    }
}

[[noreturn]] void endNow()
{
    if (ErasesLine)
        put("\r\033[K");
    const int slot = Published.load(std::memory_order_acquire);
    if (slot >= 0) {
        put("trovel-cli: ");
        put(Slots[slot]);
        put(": interrupted, left unfinished\n");
    }
    ::_exit(ExitInterrupted);
}

extern "C" void onInterrupt(int)
{
    if (Requested || EndsAtFirst)
        endNow();
    Requested = 1;
}

} // namespace

void InstallInterruptHandler(TInterruptMode mode, bool eraseProgressLine)
{
    EndsAtFirst = mode == TInterruptMode::EndAtOnce;
    ErasesLine = eraseProgressLine;
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // Calls the first Ctrl+C interrupts go on: the entry in hand is finished.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested()
{
    return Requested != 0;
}

void SetEntryInHand(std::string_view name)
{
    const int next = Published.load(std::memory_order_relaxed) == 0 ? 1 : 0;
    Slots[next].assign(name);
    Published.store(next, std::memory_order_release);
}

void ClearEntryInHand()
{
    Published.store(-1, std::memory_order_release);
}

} // namespace trovel
