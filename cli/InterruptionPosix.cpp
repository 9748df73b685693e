#include "Interruption.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace trovel {

namespace {

constexpr int ExitInterrupted = 130;

volatile std::sig_atomic_t Requested = 0;
volatile std::sig_atomic_t EndsAtFirst = 0;
volatile std::sig_atomic_t ErasesLine = 0;

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
    ReportEntryInHand(Put);
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

} // namespace trovel
