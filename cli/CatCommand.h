#pragma once

#include "Command.h"

namespace trovel {

// cat: the data of every chosen entry, in index order, to standard output.
class TCatCommand final : public TArchiveCommand
{
public:
    TCatCommand(const TCliOptions &Options, TCliStreams Streams);

    int Run() override;
};

} // namespace trovel
