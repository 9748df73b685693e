#pragma once

namespace trovel {

// Ctrl+C during a run over entries asks it to stop before the next entry, so
// the entry in hand is finished.
void CatchInterrupt();
bool InterruptRequested();

} // namespace trovel
