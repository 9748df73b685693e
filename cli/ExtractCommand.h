#pragma once

#include "Command.h"

namespace trovel {

// extract: one entry, by its index, to a file or standard output.
class TExtractCommand final : public TArchiveCommand
{
public:
    TExtractCommand(const TCliOptions &Options, TCliStreams Streams);

    int Run() override;
};

} // namespace trovel
