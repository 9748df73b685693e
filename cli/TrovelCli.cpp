// trovel-cli: lists and extracts archives from scripts and batch jobs, on the
// same engine as the window.
#include "ArcErrors.h"
#include "ProgressLine.h"
#include "uArcReader.h"

#include <charconv>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace trovel {

namespace {

constexpr const char *Usage =
    "usage: trovel-cli list ARCHIVE [--codepage CP]\n"
    "       trovel-cli extract ARCHIVE INDEX OUTFILE [--codepage CP]\n"
    "       trovel-cli extract-all ARCHIVE DIR [--codepage CP]\n"
    "       trovel-cli --help\n"
    "\n"
    "  list         one line per entry: index, storage mode, size and\n"
    "               name, separated by tabs\n"
    "  extract      writes entry INDEX (0 to count - 1) to OUTFILE\n"
    "  extract-all  writes every entry below DIR, creating its folders\n"
    "\n"
    "  --codepage CP  reads the names in code page CP (874, 932, 936, 949,\n"
    "               950, 1250 to 1258) or utf-8; raw keeps the bytes as\n"
    "               stored. Without it, names are UTF-8 when all of them\n"
    "               are, else in the code page of the locale's language.\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 usage error, 130 stopped by Ctrl+C.\n";

enum ExitCode
{
    ExitOk = 0,
    ExitFailure = 1,
    ExitUsage = 2,
    ExitInterrupted = 130
};

// The command line does not fit any command.
struct UsageError
{
};

// A failure of the tool's own, beside the engine's error kinds.
class CliError final : public Exception
{
public:
    using Exception::Exception;
};

volatile std::sig_atomic_t Interrupted = 0;

extern "C" void onInterrupt(int)
{
    Interrupted = 1;
}

// Everything goes through stdio's buffer; a stdout that fails to take it (a
// full disk, a closed pipe) is a write error like any other.
void flushOutput()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw EWriteError();
}

// The codec that --codepage chose, if any; otherwise the reader's own choice.
using TCodecChoice = std::optional<TNameCodec>;

void OpenArchive(TArcReader &reader, const std::string &archive, const TCodecChoice &codec)
{
    reader.Open(archive);
    if (codec)
        reader.SetNameCodec(*codec);
}

int List(const std::string &archive, const TCodecChoice &codec)
{
    TArcReader reader;
    OpenArchive(reader, archive, codec);
    std::string line;
    char number[16];
    const auto appendNumber = [&](std::uint64_t value) {
        const auto end = std::to_chars(number, number + sizeof number, value).ptr;
        line.append(number, end);
        line += '\t';
    };
    const std::int32_t count = reader.GetFileCount();
    for (std::int32_t index = 0; index < count; ++index) {
        TArcFileEntry entry{};
        reader.GetFileEntry(index, entry);
        line.clear();
        appendNumber(static_cast<std::uint64_t>(index));
        appendNumber(entry.StorageMode);
        appendNumber(entry.Size);
        reader.NameCodec().AppendText(reader.FileNameView(index), line);
        line += '\n';
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size())
            throw EWriteError();
    }
    flushOutput();
    return ExitOk;
}

std::int64_t ParseIndex(const std::string &text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() || text.empty())
        throw UsageError();
    if (error == std::errc::result_out_of_range)
        return -1; // outside every archive, like any negative index
    if (error != std::errc())
        throw UsageError();
    return value;
}

int Extract(const std::string &archive, const std::string &indexText, const std::string &output,
            const TCodecChoice &codec)
{
    const std::int64_t index = ParseIndex(indexText);
    TArcReader reader;
    OpenArchive(reader, archive, codec);
    // The reader would create the output before looking at the index; a wrong
    // index must leave no empty file behind.
    const std::int32_t count = reader.GetFileCount();
    if (index < 0 || index >= count) {
        if (count == 0)
            throw CliError("index " + indexText + " out of range (the archive has no entries)");
        throw CliError("index " + indexText + " out of range (0 to " + std::to_string(count - 1) +
                       ")");
    }
    reader.ExtractFile(static_cast<std::int32_t>(index), output);
    return ExitOk;
}

int ExtractAll(const std::string &archive, const std::string &folder, const TCodecChoice &codec)
{
    // Ctrl+C asks the run to stop before the next entry; the entry in hand is
    // finished, so no file is left half written by the interruption.
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);

    TProgressLine progress(STDERR_FILENO);
    TArcReader reader;
    OpenArchive(reader, archive, codec);
    const std::int32_t count = reader.GetFileCount();
    std::int32_t index = 0;
    bool stopped = false;
    reader.SetOnProgress([&](TArcReader &, const std::string &name) {
        if (Interrupted) {
            stopped = true;
            return true;
        }
        progress.Show(index++, count, reader.NameCodec().ToText(name));
        return false;
    });
    try {
        reader.ExtractAll(folder);
    } catch (...) {
        progress.Keep(); // shows the entry that failed
        throw;
    }
    if (stopped) {
        progress.Keep();
        return ExitInterrupted;
    }
    progress.Clear();
    return ExitOk;
}

// Takes "--codepage CP" and "--codepage=CP" out of the arguments after the
// command word; the last one counts. A CP that names no codec is a usage error.
TCodecChoice TakeCodePage(std::vector<std::string> &args)
{
    constexpr std::string_view Option = "--codepage";
    TCodecChoice codec;
    for (std::size_t i = 1; i < args.size();) {
        std::string value;
        if (args[i] == Option) {
            if (i + 1 == args.size())
                throw UsageError();
            value = args[i + 1];
            args.erase(args.begin() + i, args.begin() + i + 2);
        } else if (args[i].starts_with(Option) && args[i][Option.size()] == '=') {
            value = args[i].substr(Option.size() + 1);
            args.erase(args.begin() + i);
        } else {
            ++i;
            continue;
        }
        codec = TNameCodec::FromName(value);
        if (!codec)
            throw UsageError();
    }
    return codec;
}

int Run(std::vector<std::string> args)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(Usage, stdout);
        flushOutput();
        return ExitOk;
    }
    if (args.empty())
        throw UsageError();
    const std::string command = args[0];
    if (command != "list" && command != "extract" && command != "extract-all")
        throw UsageError();
    const TCodecChoice codec = TakeCodePage(args);
    if (args.size() == 2 && command == "list")
        return List(args[1], codec);
    if (args.size() == 4 && command == "extract")
        return Extract(args[1], args[2], args[3], codec);
    if (args.size() == 3 && command == "extract-all")
        return ExtractAll(args[1], args[2], codec);
    throw UsageError();
}

} // namespace

} // namespace trovel

int main(int argc, char **argv)
{
    using namespace trovel;
    // Only for the terminal's character widths in the progress line. Names
    // are printed and created as their codec decodes them; paths given on
    // the command line pass through as bytes.
    std::setlocale(LC_CTYPE, "");
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError &) {
        std::fputs(Usage, stderr);
        return ExitUsage;
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "trovel-cli: %s\n", EOutOfMemory().what());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "trovel-cli: %s\n", e.what());
    }
    return ExitFailure;
}
