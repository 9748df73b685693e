#pragma once

#include "CliStreams.h"

#include <string>
#include <vector>

namespace trovel {

// trovel-cli as a whole, on the given streams: parses Args (the words after
// the program's name), runs the command, reports usage errors and failures
// and returns the exit status. The process's own main adds only the locale
// and its standard streams, so that a test runs every command in-process.
int RunCli(const std::vector<std::string> &Args, TCliStreams Streams);

} // namespace trovel
