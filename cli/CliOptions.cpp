#include "CliOptions.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace trovel {

const char *const UsageText =
    "usage: trovel-cli list ARCHIVE [PATTERN...]\n"
    "       trovel-cli test ARCHIVE [PATTERN...]\n"
    "       trovel-cli extract ARCHIVE INDEX OUTFILE|-\n"
    "       trovel-cli extract-all ARCHIVE DIR [PATTERN...]\n"
    "       trovel-cli --help | --version\n"
    "\n"
    "  list         one line per entry: index, storage mode, size and\n"
    "               name, separated by tabs\n"
    "  test         reads every entry as extract-all would, writes nothing;\n"
    "               one line per entry that fails: index, name and message\n"
    "  extract      writes entry INDEX (0 to count - 1) to OUTFILE, or to\n"
    "               standard output for -\n"
    "  extract-all  writes every entry below DIR, creating its folders, once\n"
    "               DIR's file system has room for all of them\n"
    "\n"
    "PATTERN chooses entries by name: a shell wildcard (*, ? and [...], where\n"
    "* and ? also match /) against the whole name, or a name that chooses that\n"
    "entry and every entry below it. A PATTERN that chooses nothing fails.\n"
    "\n"
    "Options, anywhere after the command word (-- ends them):\n"
    "  --codepage CP     read the names in code page CP (874, 932, 936, 949,\n"
    "                    950, 1250 to 1258) or utf-8; raw keeps the bytes as\n"
    "                    stored. Without it, names are UTF-8 when all of them\n"
    "                    are, else in the code page of the locale's language.\n"
    "  --no-space-check  test, extract, extract-all: skip the checks made before\n"
    "                    the run: free space (extract-all) and entries that\n"
    "                    share their data\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 usage error, 130 stopped by Ctrl+C.\n";

namespace {

struct TCommandForm
{
    std::string_view Word;
    TCliCommand Command;
    std::size_t MinOperands;
    std::size_t MaxOperands;
};

constexpr std::size_t Unlimited = static_cast<std::size_t>(-1);

constexpr std::array<TCommandForm, 4> Forms = {{
    {"list", TCliCommand::List, 1, Unlimited},
    {"test", TCliCommand::Test, 1, Unlimited},
    {"extract", TCliCommand::Extract, 3, 3},
    {"extract-all", TCliCommand::ExtractAll, 2, Unlimited},
}};

void RequireOperands(const TCommandForm &Form, const TCliOptions &Options)
{
    const std::size_t count = Options.Operands.size();
    if (count < Form.MinOperands || count > Form.MaxOperands)
        throw TUsageError();
    // An empty DIR is most often an unset variable in a script; it would
    // extract into the current folder.
    if (Form.Command == TCliCommand::ExtractAll && Options.Operands[1].empty())
        throw TUsageError();
}

// "-" is standard output and "-1" a (negative) index; every other argument
// that begins with "-" is meant as an option.
bool LooksLikeOption(std::string_view Arg)
{
    return Arg.size() > 1 && Arg[0] == '-' &&
           Arg.find_first_not_of("0123456789", 1) != std::string_view::npos;
}

} // namespace

TCliOptions ParseCommandLine(const std::vector<std::string> &Args)
{
    TCliOptions options;
    if (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h"))
        return options;
    if (Args.size() == 1 && Args[0] == "--version") {
        options.Command = TCliCommand::Version;
        return options;
    }
    const auto form = std::find_if(Forms.begin(), Forms.end(), [&](const TCommandForm &F) {
        return !Args.empty() && F.Word == Args[0];
    });
    if (form == Forms.end())
        throw TUsageError();
    options.Command = form->Command;

    bool optionsEnded = false;
    for (std::size_t at = 1; at < Args.size(); ++at) {
        const std::string &arg = Args[at];
        if (optionsEnded || !LooksLikeOption(arg)) {
            options.Operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(0, equals);
        if (name == "--codepage") {
            std::string value;
            if (equals != std::string::npos)
                value = arg.substr(equals + 1);
            else if (at + 1 < Args.size())
                value = Args[++at];
            else
                throw TUsageError();
            options.Codec = TNameCodec::FromName(value);
            if (!options.Codec)
                throw TUsageError();
        } else if (name == "--no-space-check" && equals == std::string::npos &&
                   options.Command != TCliCommand::List) {
            options.NoSpaceCheck = true;
        } else {
            throw TUsageError();
        }
    }
    RequireOperands(*form, options);
    return options;
}

} // namespace trovel
