#pragma once

#include "NameCodec.h"

#include <cstdint>
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
    ExtractAll,
    Cat
};

enum class TVerbosity
{
    Normal,
    // -v: each entry's name as it is written or tested.
    Verbose,
    // -q: nothing but errors.
    Quiet
};

// A command line taken apart. Options may stand anywhere after the command
// word, as "--name VALUE" or "--name=VALUE", short ones as "-x" or together
// ("-iq"); "--" ends them, so operands may begin with "-" after it. A lone
// "-" and a negative number are operands.
struct TCliOptions
{
    TCliCommand Command = TCliCommand::Help;
    // ARCHIVE first, then the command's other operands and PATTERNs.
    std::vector<std::string> Operands;
    // extract: INDEX, read from the second operand; -1 for any number outside
    // every archive.
    std::int64_t Index = 0;
    // --codepage: how names are read; none leaves it to the archive.
    std::optional<TNameCodec> Codec;
    std::vector<std::string> Excludes;
    bool IgnoreCase = false;
    bool NoSpaceCheck = false;
    bool SkipOldFiles = false;
    bool Long = false;
    TVerbosity Verbosity = TVerbosity::Normal;
    // -j, --jobs: the threads that inflate; none leaves it to the CPUs online.
    std::optional<unsigned> Jobs;
};

// The command line fits no command; Message says what is wrong with it, in
// one line.
struct TUsageError
{
    std::string Message;
};

// Raises TUsageError.
TCliOptions ParseCommandLine(const std::vector<std::string> &Args);

extern const char *const UsageText;

} // namespace trovel
