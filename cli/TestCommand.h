#pragma once

#include "Command.h"

namespace trovel {

// test: reads each chosen entry as extract-all would and writes nothing; one
// line per entry that fails, and on to the next.
class TTestCommand final : public TArchiveCommand
{
public:
    TTestCommand(const TCliOptions &Options, TCliStreams Streams);

    int Run() override;
};

} // namespace trovel
