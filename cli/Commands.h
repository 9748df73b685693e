#pragma once

#include "ArcErrors.h"

#include <string>

namespace trovel {

enum TExitCode
{
    ExitOk = 0,
    ExitFailure = 1,
    ExitUsage = 2,
    ExitInterrupted = 130
};

// A failure of the tool's own, beside the engine's error kinds.
class ECliError final : public Exception
{
public:
    using Exception::Exception;
};

// Ends the program with ExitFailure and no message: standard output has gone
// away, as when the reader of a pipe has ended.
struct TQuietFailure
{
};

// Ends the program with ExitFailure and the line "trovel-cli: FILE: MESSAGE
// (REASON)": a failure that concerns the file File (the archive, standard
// output). Escaped when stderr is a terminal.
struct TFileFailure
{
    std::string File;
    Exception Error;
};

} // namespace trovel
