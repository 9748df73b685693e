#pragma once

#include <string_view>

// Ctrl+C in the extraction commands. Ending at once works even while the
// program is blocked in open() or write() (a FIFO without a reader, a full
// pipe, a suspended terminal, slow media), since the handler itself ends the
// program instead of waiting for those calls to return.
namespace trovel {

enum class TInterruptMode
{
    // The first Ctrl+C asks the run to stop before its next entry; a second
    // one ends the program at once.
    StopBeforeNextEntry,
    // The first Ctrl+C ends the program at once: a single entry has no next
    // one to stop before.
    EndAtOnce
};

// Installs the SIGINT handler. Ending at once erases the progress line when
// EraseProgressLine is set, reports the entry in hand on stderr as
// "trovel-cli: NAME: interrupted, left unfinished" and exits with 130.
void InstallInterruptHandler(TInterruptMode Mode, bool EraseProgressLine);
bool InterruptRequested();

// The entry being written, whose name a Ctrl+C that ends the program reports;
// none when nothing is left unfinished.
void SetEntryInHand(std::string_view Name);
void ClearEntryInHand();
// For the handlers: writes "trovel-cli: NAME: interrupted, left unfinished"
// through Put when an entry is in hand. Safe in a signal handler.
void ReportEntryInHand(void (*Put)(std::string_view));

// Holds the entry in hand for as long as it lives or until Release: whichever
// way a command leaves an entry, a later Ctrl+C names no entry that is done.
class TEntryInHand final
{
public:
    TEntryInHand() = default;
    ~TEntryInHand() { Release(); }
    TEntryInHand(const TEntryInHand &) = delete;
    TEntryInHand &operator=(const TEntryInHand &) = delete;

    void Hold(std::string_view Name) { SetEntryInHand(Name); }
    void Release() { ClearEntryInHand(); }
};

} // namespace trovel
