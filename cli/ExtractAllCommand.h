#pragma once

#include "Command.h"

namespace trovel {

// extract-all: every chosen entry below a folder.
class TExtractAllCommand final : public TArchiveCommand
{
public:
    TExtractAllCommand(const TCliOptions &Options, TCliStreams Streams);

    int Run() override;
};

} // namespace trovel
