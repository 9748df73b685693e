// Ctrl+C on a Windows console. The system calls the handler on a thread of
// its own, so ending the program from it needs nothing of the thread that is
// blocked in a call.
#include "Interruption.h"

#include <windows.h>

#include <io.h>

#include <atomic>

namespace trovel {

namespace {

constexpr int ExitInterrupted = 130;

std::atomic<bool> Requested{false};
std::atomic<bool> EndsAtFirst{false};
std::atomic<bool> ErasesLine{false};

void Put(std::string_view Text)
{
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    while (!Text.empty()) {
        DWORD done = 0;
        if (!::WriteFile(error, Text.data(), static_cast<DWORD>(Text.size()), &done, nullptr) ||
            done == 0)
            return;
        Text.remove_prefix(done);
    }
}

[[noreturn]] void EndNow()
{
    if (ErasesLine)
        Put("\r\033[K");
    ReportEntryInHand(Put);
    ::ExitProcess(ExitInterrupted);
}

BOOL WINAPI OnControl(DWORD Event)
{
    if (Event != CTRL_C_EVENT && Event != CTRL_BREAK_EVENT)
        return FALSE;
    if (Requested.exchange(true) || EndsAtFirst)
        EndNow();
    return TRUE;
}

} // namespace

void InstallInterruptHandler(TInterruptMode Mode, bool EraseProgressLine)
{
    EndsAtFirst = Mode == TInterruptMode::EndAtOnce;
    ErasesLine = EraseProgressLine;
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

bool InterruptRequested()
{
    return Requested;
}

} // namespace trovel
