#pragma once

#include "ArcErrors.h"

#include <string>

namespace trovel {

struct TCliOptions;

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
// output).
struct TFileFailure
{
    std::string File;
    Exception Error;
};

// The line on stderr for Failure, names escaped when stderr is a terminal.
std::string FailureLine(const TFileFailure &Failure);
// The same for a failure that concerns no file of its own.
std::string FailureLine(const Exception &Error);

// Each command returns its exit status; failures not tied to an entry are
// raised.
int RunList(const TCliOptions &Options);
int RunTest(const TCliOptions &Options);
int RunExtract(const TCliOptions &Options);
int RunExtractAll(const TCliOptions &Options);

// stdout through stdio's buffer; a stream that fails to take it (a full disk,
// a closed pipe) is a write error like any other.
void FlushOutput();

} // namespace trovel
