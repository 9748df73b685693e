#pragma once

#include "NameCodec.h"

#include <optional>
#include <string>
#include <vector>

namespace trovel {

enum class TCliCommand
{
    Help,
    Version,
    List,
    Test,
    Extract,
    ExtractAll
};

// A command line taken apart. Options may stand anywhere after the command
// word, as "--name VALUE" or "--name=VALUE"; "--" ends them, so operands may
// begin with "-" after it. A lone "-" and a negative number are operands.
struct TCliOptions
{
    TCliCommand Command = TCliCommand::Help;
    // ARCHIVE first, then the command's other operands and PATTERNs.
    std::vector<std::string> Operands;
    // --codepage: how names are read; none leaves it to the archive.
    std::optional<TNameCodec> Codec;
    bool NoSpaceCheck = false;
    // --jobs: the threads that inflate; none leaves it to the CPUs online.
    std::optional<unsigned> Jobs;
};

// The command line fits no command; the usage text tells the right forms.
struct TUsageError
{
};

// Raises TUsageError.
TCliOptions ParseCommandLine(const std::vector<std::string> &Args);

extern const char *const UsageText;

} // namespace trovel
