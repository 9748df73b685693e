#include "CliOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace trovel {

const char *const UsageText =
    "usage: trovel-cli list ARCHIVE [PATTERN...]\n"
    "       trovel-cli test ARCHIVE [PATTERN...]\n"
    "       trovel-cli extract ARCHIVE INDEX OUTFILE|-\n"
    "       trovel-cli extract-all ARCHIVE DIR [PATTERN...]\n"
    "       trovel-cli cat ARCHIVE PATTERN...\n"
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
    "  cat          writes the data of every entry the PATTERNs choose, in\n"
    "               index order, to standard output\n"
    "\n"
    "PATTERN chooses entries by name: a shell wildcard (*, ? and [...], where\n"
    "* and ? also match /) against the whole name, or a name that chooses that\n"
    "entry and every entry below it. A PATTERN that chooses nothing fails.\n"
    "\n"
    "Options, anywhere after the command word (-- ends them):\n"
    "  --codepage CP       read the names in code page CP (874, 932, 936, 949,\n"
    "                      950, 1250 to 1258) or utf-8; raw keeps the bytes as\n"
    "                      stored. Without it, names are UTF-8 when all of\n"
    "                      them are, else in the code page of the locale's\n"
    "                      language.\n"
    "  --exclude PATTERN   list, test, extract-all, cat: leave out the entries\n"
    "                      PATTERN chooses, even when a PATTERN takes them;\n"
    "                      may be given more than once\n"
    "  -i, --ignore-case   list, test, extract-all, cat: PATTERNs and\n"
    "                      exclusions match regardless of case\n"
    "  -l, --long          list: a header, the storage mode as a word, size,\n"
    "                      packed size and name, and a line of totals\n"
    "  --skip-old-files    extract-all: leave an entry unwritten when its name\n"
    "                      is taken in DIR already; the number is told at the end\n"
    "  --no-space-check    test, extract, extract-all, cat: skip the checks made\n"
    "                      before the run: free space (extract-all) and entries\n"
    "                      that share their data\n"
    "  -v, --verbose       test, extract-all: print each entry's name as it is\n"
    "                      tested or written\n"
    "  -q, --quiet         print nothing but errors: no progress line, no\n"
    "                      summary\n"
    "  -j, --jobs N        test, extract-all, cat: inflate on N threads (default:\n"
    "                      one per online CPU; 1 reads on one thread). Files are\n"
    "                      still written one by one, in entry order.\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 usage error, 130 stopped by Ctrl+C.\n";

namespace {

constexpr unsigned Bit(TCliCommand Command)
{
    return 1U << static_cast<unsigned>(Command);
}

constexpr unsigned ChoosingCommands = Bit(TCliCommand::List) | Bit(TCliCommand::Test) |
                                      Bit(TCliCommand::ExtractAll) | Bit(TCliCommand::Cat);
constexpr unsigned ArchiveCommands = ChoosingCommands | Bit(TCliCommand::Extract);

struct TCommandForm
{
    std::string_view Word;
    TCliCommand Command;
    std::size_t MinOperands;
    std::size_t MaxOperands;
    std::string_view Operands; // as the usage text names them
};

constexpr std::size_t Unlimited = static_cast<std::size_t>(-1);

constexpr std::array<TCommandForm, 5> Forms = {{
    {"list", TCliCommand::List, 1, Unlimited, "ARCHIVE [PATTERN...]"},
    {"test", TCliCommand::Test, 1, Unlimited, "ARCHIVE [PATTERN...]"},
    {"extract", TCliCommand::Extract, 3, 3, "ARCHIVE INDEX OUTFILE"},
    {"extract-all", TCliCommand::ExtractAll, 2, Unlimited, "ARCHIVE DIR [PATTERN...]"},
    {"cat", TCliCommand::Cat, 2, Unlimited, "ARCHIVE PATTERN..."},
}};

// One option: which commands take it, and what it sets. A new option is a
// row here and a field of TCliOptions.
struct TOptionForm
{
    std::string_view Long;
    char Short;
    bool TakesValue;
    unsigned Commands;
    void (*Apply)(TCliOptions &Options, const std::string &Value);
};

[[noreturn]] void Wrong(std::string Message)
{
    throw TUsageError{std::move(Message)};
}

const std::array<TOptionForm, 10> OptionForms = {{
    {"--codepage", 0, true, ArchiveCommands,
     [](TCliOptions &Options, const std::string &Value) {
         Options.Codec = TNameCodec::FromName(Value);
         if (!Options.Codec)
             Wrong("unknown code page '" + Value + "'");
     }},
    {"--exclude", 0, true, ChoosingCommands,
     [](TCliOptions &Options, const std::string &Value) { Options.Excludes.push_back(Value); }},
    {"--ignore-case", 'i', false, ChoosingCommands,
     [](TCliOptions &Options, const std::string &) { Options.IgnoreCase = true; }},
    {"--long", 'l', false, Bit(TCliCommand::List),
     [](TCliOptions &Options, const std::string &) { Options.Long = true; }},
    {"--skip-old-files", 0, false, Bit(TCliCommand::ExtractAll),
     [](TCliOptions &Options, const std::string &) { Options.SkipOldFiles = true; }},
    {"--no-space-check", 0, false,
     Bit(TCliCommand::Test) | Bit(TCliCommand::Extract) | Bit(TCliCommand::ExtractAll) |
         Bit(TCliCommand::Cat),
     [](TCliOptions &Options, const std::string &) { Options.NoSpaceCheck = true; }},
    {"--verbose", 'v', false, Bit(TCliCommand::Test) | Bit(TCliCommand::ExtractAll),
     [](TCliOptions &Options, const std::string &) { Options.Verbosity = TVerbosity::Verbose; }},
    {"--quiet", 'q', false, ArchiveCommands,
     [](TCliOptions &Options, const std::string &) { Options.Verbosity = TVerbosity::Quiet; }},
    {"--jobs", 'j', true,
     Bit(TCliCommand::Test) | Bit(TCliCommand::ExtractAll) | Bit(TCliCommand::Cat),
     [](TCliOptions &Options, const std::string &Value) {
         // 1 to 1024 threads, digits only.
         unsigned jobs = 0;
         const auto [end, error] = std::from_chars(Value.data(), Value.data() + Value.size(), jobs);
         if (Value.empty() || end != Value.data() + Value.size() || error != std::errc() ||
             jobs < 1 || jobs > 1024)
             Wrong("invalid number of jobs '" + Value + "': 1 to 1024");
         Options.Jobs = jobs;
     }},
    {"--help", 'h', false, 0, nullptr},
}};

std::string_view WordOf(TCliCommand Command)
{
    for (const TCommandForm &form : Forms) {
        if (form.Command == Command)
            return form.Word;
    }
    return {};
}

// "-" is standard output and "-1" a (negative) index; every other argument
// that begins with "-" is meant as an option.
bool LooksLikeOption(std::string_view Arg)
{
    return Arg.size() > 1 && Arg[0] == '-' &&
           Arg.find_first_not_of("0123456789", 1) != std::string_view::npos;
}

// Reads the options from Args[At] on: a long option, or a cluster of short
// ones. Returns the position of the last argument used.
std::size_t TakeOption(const std::vector<std::string> &Args, std::size_t At, TCliOptions &Options)
{
    const std::string &arg = Args[At];
    const auto apply = [&](const TOptionForm &Form, const std::string &Shown,
                           std::optional<std::string> Value) {
        if (!(Form.Commands & Bit(Options.Command)))
            Wrong("option '" + Shown + "' does not apply to '" +
                  std::string(WordOf(Options.Command)) + "'");
        if (!Form.TakesValue && Value)
            Wrong("option '" + Shown + "' takes no value");
        if (Form.TakesValue && !Value) {
            if (At + 1 >= Args.size())
                Wrong("option '" + Shown + "' needs a value");
            Value = Args[++At];
        }
        Form.Apply(Options, Value.value_or(std::string()));
    };

    if (arg.starts_with("--")) {
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const auto form = std::find_if(OptionForms.begin(), OptionForms.end(),
                                       [&](const TOptionForm &F) { return F.Long == name; });
        if (form == OptionForms.end())
            Wrong("unknown option '" + name + "'");
        apply(*form, name,
              equals == std::string::npos ? std::nullopt
                                          : std::optional<std::string>(arg.substr(equals + 1)));
        return At;
    }
    // "-iq", and "-xVALUE" or "-x VALUE" for one that takes a value
    for (std::size_t letter = 1; letter < arg.size(); ++letter) {
        const std::string shown = std::string("-") + arg[letter];
        const auto form =
            std::find_if(OptionForms.begin(), OptionForms.end(),
                         [&](const TOptionForm &F) { return F.Short == arg[letter]; });
        if (form == OptionForms.end())
            Wrong("unknown option '" + shown + "'");
        if (form->TakesValue && letter + 1 < arg.size()) {
            apply(*form, shown, arg.substr(letter + 1));
            break;
        }
        apply(*form, shown, std::nullopt);
    }
    return At;
}

void RequireOperands(const TCommandForm &Form, TCliOptions &Options)
{
    const std::size_t count = Options.Operands.size();
    if (count < Form.MinOperands)
        Wrong("missing operand: " + std::string(Form.Word) + " takes " +
              std::string(Form.Operands));
    if (count > Form.MaxOperands)
        Wrong("extra operand '" + Options.Operands[Form.MaxOperands] +
              "': " + std::string(Form.Word) + " takes " + std::string(Form.Operands));
    // An empty DIR is most often an unset variable in a script; it would
    // extract into the current folder.
    if (Form.Command == TCliCommand::ExtractAll && Options.Operands[1].empty())
        Wrong("empty DIR: extract-all takes '.' for the current folder");
    if (Form.Command == TCliCommand::Extract) {
        const std::string &text = Options.Operands[1];
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), Options.Index);
        if (text.empty() || end != text.data() + text.size() ||
            (error != std::errc() && error != std::errc::result_out_of_range))
            Wrong("invalid index '" + text + "'");
        if (error == std::errc::result_out_of_range)
            Options.Index = -1; // outside every archive, like any negative index
    }
}

} // namespace

TCliOptions ParseCommandLine(const std::vector<std::string> &Args)
{
    TCliOptions options;
    if (Args.empty())
        Wrong("missing command");
    if (Args[0] == "--help" || Args[0] == "-h" || Args[0] == "--version") {
        if (Args.size() > 1)
            Wrong("extra operand '" + Args[1] + "': " + Args[0] + " stands alone");
        options.Command = Args[0] == "--version" ? TCliCommand::Version : TCliCommand::Help;
        return options;
    }
    const auto form = std::find_if(Forms.begin(), Forms.end(),
                                   [&](const TCommandForm &F) { return F.Word == Args[0]; });
    if (form == Forms.end()) {
        if (LooksLikeOption(Args[0]))
            Wrong("the command comes first, before the option '" + Args[0] + "'");
        Wrong("unknown command '" + Args[0] + "'");
    }
    options.Command = form->Command;

    bool optionsEnded = false;
    for (std::size_t at = 1; at < Args.size(); ++at) {
        const std::string &arg = Args[at];
        if (optionsEnded || !LooksLikeOption(arg))
            options.Operands.push_back(arg);
        else if (arg == "--")
            optionsEnded = true;
        else
            at = TakeOption(Args, at, options);
    }
    RequireOperands(*form, options);
    return options;
}

} // namespace trovel
