#pragma once

#include <cstdio>
#include <string>

namespace trovel::bench {

// The bare work the benchmarks hold trovel-cli and the window against, each
// on one thread, with no checks beyond what the work needs.

// Extracts every entry of Archive below Target: whole entries and whole parts
// in memory, one zlib uncompress() per part, one write per part or stored
// entry. Returns its seconds.
double PlainInflateLoop(const std::string &Archive, const std::string &Target);

// Reads Archive's directory and prints index, storage mode, size and name of
// every entry, tab-separated, one line each, through stdio to Out. Returns its
// seconds.
double PlainListLoop(const std::string &Archive, std::FILE *Out);

} // namespace trovel::bench
