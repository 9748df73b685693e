#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovel {

class Exception;
class TArcReader;
class TEntrySelection;

// An entry's name as trovel-cli spells it: what list and test print, what
// messages show and what PATTERNs are matched against.
void AppendPrintedName(const TArcReader &Reader, std::int32_t Index, std::string &Out);
std::string PrintedName(const TArcReader &Reader, std::int32_t Index);

// The message of an error met on the entry, and after it the system's
// reason in parentheses where the system gave one. Where the message names
// the entry by its stored name, the printed name stands instead; with Escape,
// the name or path it names is escaped for a terminal.
std::string EntryMessage(const Exception &Error, const TArcReader &Reader, std::int32_t Index,
                         bool Escape);
// The same for an error that concerns no entry.
std::string FailureMessage(const Exception &Error, bool Escape);

// The indices of the entries Selection chooses, in index order.
std::vector<std::int32_t> ChooseEntries(const TArcReader &Reader, TEntrySelection &Selection);

} // namespace trovel
