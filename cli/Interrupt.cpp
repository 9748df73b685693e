#include "Interrupt.h"

#include <csignal>

namespace trovel {

namespace {

volatile std::sig_atomic_t Requested = 0;

extern "C" void onInterrupt(int)
{
    Requested = 1;
}

} // namespace

void CatchInterrupt()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested()
{
    return Requested != 0;
}

} // namespace trovel
