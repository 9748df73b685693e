// trovel-cli: lists and extracts archives from scripts and batch jobs, on the
// same engine as the window.
#include "ArcErrors.h"
#include "Interruption.h"
#include "ProgressLine.h"
#include "uArcReader.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace trovel {

namespace {

constexpr const char *Usage =
    "usage: trovel-cli list ARCHIVE\n"
    "       trovel-cli extract ARCHIVE INDEX OUTFILE\n"
    "       trovel-cli extract-all ARCHIVE DIR\n"
    "       trovel-cli --help\n"
    "\n"
    "  list         one line per entry: index, storage mode, size and\n"
    "               name, separated by tabs\n"
    "  extract      writes entry INDEX (0 to count - 1) to OUTFILE\n"
    "  extract-all  writes every entry below DIR, creating its folders\n"
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

// Everything goes through stdio's buffer; a stdout that fails to take it (a
// full disk, a closed pipe) is a write error like any other.
void flushOutput()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw EWriteError();
}

int List(const std::string &archive)
{
    TArcReader reader;
    reader.Open(archive);
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
        line += reader.FileNameView(index);
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

int Extract(const std::string &archive, const std::string &indexText, const std::string &output)
{
    InstallInterruptHandler(TInterruptMode::EndAtOnce, false);
    const std::int64_t index = ParseIndex(indexText);
    TArcReader reader;
    reader.Open(archive);
    // The reader would create the output before looking at the index; a wrong
    // index must leave no empty file behind.
    const std::int32_t count = reader.GetFileCount();
    if (index < 0 || index >= count) {
        if (count == 0)
            throw CliError("index " + indexText + " out of range (the archive has no entries)");
        throw CliError("index " + indexText + " out of range (0 to " + std::to_string(count - 1) +
                       ")");
    }
    SetEntryInHand(reader.FileNameView(static_cast<std::int32_t>(index)));
    reader.ExtractFile(static_cast<std::int32_t>(index), output);
    ClearEntryInHand();
    return ExitOk;
}

int ExtractAll(const std::string &archive, const std::string &folder)
{
    // An unset variable in a script must not mean the current folder.
    if (folder.empty())
        throw UsageError();
    // Ctrl+C asks the run to stop before the next entry; the entry in hand is
    // finished, so no file is left half written by the interruption. A second
    // one is for an entry that takes too long.
    TProgressLine progress(STDERR_FILENO);
    InstallInterruptHandler(TInterruptMode::StopBeforeNextEntry, progress.Active());
    TArcReader reader;
    reader.Open(archive);
    const std::int32_t count = reader.GetFileCount();
    std::int32_t index = 0;
    bool stopped = false;
    reader.SetOnProgress([&](TArcReader &, const std::string &name) {
        if (InterruptRequested()) {
            stopped = true;
            ClearEntryInHand();
            return true;
        }
        SetEntryInHand(name);
        progress.Show(index++, count, name);
        return false;
    });
    try {
        reader.ExtractAll(folder);
    } catch (...) {
        ClearEntryInHand();
        progress.Keep(); // shows the entry that failed
        throw;
    }
    ClearEntryInHand();
    if (stopped) {
        progress.Keep();
        return ExitInterrupted;
    }
    progress.Clear();
    return ExitOk;
}

int Run(const std::vector<std::string> &args)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(Usage, stdout);
        flushOutput();
        return ExitOk;
    }
    if (args.size() == 2 && args[0] == "list")
        return List(args[1]);
    if (args.size() == 4 && args[0] == "extract")
        return Extract(args[1], args[2], args[3]);
    if (args.size() == 3 && args[0] == "extract-all")
        return ExtractAll(args[1], args[2]);
    throw UsageError();
}

} // namespace

} // namespace trovel

int main(int argc, char **argv)
{
    using namespace trovel;
    // Only for the terminal's character widths in the progress line; names
    // and paths pass through as bytes.
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
