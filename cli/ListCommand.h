#pragma once

#include "Command.h"

namespace trovel {

// list: one line per chosen entry, or with --long a table with totals.
class TListCommand final : public TArchiveCommand
{
public:
    TListCommand(const TCliOptions &Options, TCliStreams Streams);

    int Run() override;
};

} // namespace trovel
