#pragma once

#include "ArcErrors.h"

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
