#include "Commands.h"

#include "CliOptions.h"
#include "EntryNames.h"
#include "EntryPattern.h"
#include "Interruption.h"
#include "ProgressLine.h"
#include "RunCheck.h"
#include "TerminalText.h"
#include "uArcReader.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <span>
#include <unistd.h>

namespace trovel {

namespace {

const char *const StandardOutput = "standard output";

void OpenArchive(const TCliOptions &Options, TArcReader &Reader)
{
    try {
        Reader.Open(Options.Operands[0]);
    } catch (const Exception &e) {
        throw TFileFailure{Options.Operands[0], e};
    }
    if (Options.Codec)
        Reader.SetNameCodec(*Options.Codec);
}

// Before anything is read or written: entries that share data can make a
// small archive read for hours. A refusal concerns the archive.
void CheckSharedData(const TCliOptions &Options, const TRunCheck &Check,
                     std::span<const std::int32_t> Chosen)
{
    try {
        Check.CheckSharedData(Chosen);
    } catch (const ESharedDataError &e) {
        throw TFileFailure{Options.Operands[0], e};
    }
}

std::vector<std::string> PatternsFrom(const TCliOptions &Options, std::size_t First)
{
    return {Options.Operands.begin() + static_cast<std::ptrdiff_t>(First), Options.Operands.end()};
}

void WriteOut(const std::string &Text)
{
    if (std::fwrite(Text.data(), 1, Text.size(), stdout) != Text.size()) {
        const int error = errno;
        throw TFileFailure{StandardOutput, WithSystemReason(EWriteError(), error)};
    }
}

// "trovel-cli: <entry name>: <message>", so that a log shows which entry was
// left unfinished.
void ReportEntryError(const TArcReader &Reader, std::int32_t Index, const Exception &Error)
{
    const bool escape = IsTerminal(STDERR_FILENO);
    std::string line = "trovel-cli: ";
    const std::string name = PrintedName(Reader, Index);
    line += escape ? Escaped(name) : name;
    line += ": ";
    line += EntryMessage(Error, Reader, Index, escape);
    line += '\n';
    std::fputs(line.c_str(), stderr);
}

// The entry a Ctrl+C that ends the program at once names on stderr.
void HoldEntry(const std::string &Name, bool Escape)
{
    SetEntryInHand(Escape ? Escaped(Name) : Name);
}

// Reported after the rest of the command was done, so they end its output.
int ReportUnmatched(const TEntrySelection &Selection)
{
    const std::vector<std::string> unmatched = Selection.Unmatched();
    for (const std::string &pattern : unmatched)
        std::fprintf(stderr, "trovel-cli: nothing matches %s\n", pattern.c_str());
    return unmatched.empty() ? ExitOk : ExitFailure;
}

std::int64_t ParseIndex(const std::string &Text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (end != Text.data() + Text.size() || Text.empty())
        throw TUsageError();
    if (error == std::errc::result_out_of_range)
        return -1; // outside every archive, like any negative index
    if (error != std::errc())
        throw TUsageError();
    return value;
}

// Standard output takes the entry's data as it comes. A reader that has gone
// away ends the program: SIGPIPE does it, or, where SIGPIPE is ignored, the
// failed write.
void WriteToStdout(const void *Data, std::size_t Length)
{
    const auto *bytes = static_cast<const char *>(Data);
    while (Length > 0) {
        const ssize_t put = ::write(STDOUT_FILENO, bytes, Length);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno == EPIPE)
            throw TQuietFailure();
        if (put <= 0) {
            const int error = put < 0 ? errno : 0;
            throw WithSystemReason(EWriteError(), error);
        }
        bytes += put;
        Length -= static_cast<std::size_t>(put);
    }
}

} // namespace

void FlushOutput()
{
    // A write that failed earlier leaves only the stream's error flag.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int error = errno;
        throw TFileFailure{StandardOutput, WithSystemReason(EWriteError(), error)};
    }
}

std::string FailureLine(const TFileFailure &Failure)
{
    const bool escape = IsTerminal(STDERR_FILENO);
    return "trovel-cli: " + (escape ? Escaped(Failure.File) : Failure.File) + ": " +
           FailureMessage(Failure.Error, escape) + '\n';
}

std::string FailureLine(const Exception &Error)
{
    return "trovel-cli: " + FailureMessage(Error, IsTerminal(STDERR_FILENO)) + '\n';
}

int RunList(const TCliOptions &Options)
{
    TArcReader reader;
    OpenArchive(Options, reader);
    TEntrySelection selection(PatternsFrom(Options, 1));
    const bool escape = IsTerminal(STDOUT_FILENO);
    std::string line, name;
    char number[16];
    const auto appendNumber = [&](std::uint64_t Value) {
        const auto end = std::to_chars(number, number + sizeof number, Value).ptr;
        line.append(number, end);
        line += '\t';
    };
    const std::int32_t count = reader.GetFileCount();
    for (std::int32_t index = 0; index < count; ++index) {
        name.clear();
        AppendPrintedName(reader, index, name);
        if (!selection.Choose(name))
            continue;
        TArcFileEntry entry{};
        reader.GetFileEntry(index, entry);
        line.clear();
        appendNumber(static_cast<std::uint64_t>(index));
        appendNumber(entry.StorageMode);
        appendNumber(entry.Size);
        if (escape)
            AppendEscaped(name, line);
        else
            line += name;
        line += '\n';
        WriteOut(line);
    }
    FlushOutput();
    return ReportUnmatched(selection);
}

int RunTest(const TCliOptions &Options)
{
    // Like extract-all: a first Ctrl+C stops before the next entry, a second
    // one ends the program at once.
    TProgressLine progress(STDERR_FILENO);
    InstallInterruptHandler(TInterruptMode::StopBeforeNextEntry, progress.Active());
    TArcReader reader;
    OpenArchive(Options, reader);
    TEntrySelection selection(PatternsFrom(Options, 1));
    const std::vector<std::int32_t> chosen = ChooseEntries(reader, selection);
    if (!Options.NoSpaceCheck)
        CheckSharedData(Options, TRunCheck(reader), chosen);

    const bool escape = IsTerminal(STDOUT_FILENO);
    const bool escapeMessages = IsTerminal(STDERR_FILENO);
    const auto count = static_cast<std::int32_t>(chosen.size());
    bool failed = false;
    for (std::int32_t position = 0; position < count; ++position) {
        if (InterruptRequested()) {
            progress.Keep();
            FlushOutput();
            return ExitInterrupted;
        }
        const std::int32_t index = chosen[static_cast<std::size_t>(position)];
        const std::string name = PrintedName(reader, index);
        HoldEntry(name, escapeMessages);
        progress.Show(position, count, name);
        try {
            reader.TestFile(index);
            ClearEntryInHand();
        } catch (const Exception &e) {
            ClearEntryInHand();
            failed = true;
            // The line goes out at once: stdout and the progress line may
            // share one terminal.
            progress.Clear();
            WriteOut(std::to_string(index) + '\t' + (escape ? Escaped(name) : name) + '\t' +
                     EntryMessage(e, reader, index, escape) + '\n');
            FlushOutput();
        }
    }
    progress.Clear();
    FlushOutput();
    const int unmatched = ReportUnmatched(selection);
    return failed ? ExitFailure : unmatched;
}

int RunExtract(const TCliOptions &Options)
{
    const std::string &indexText = Options.Operands[1];
    const std::string &output = Options.Operands[2];
    // One entry has no next one to stop before: Ctrl+C ends it at once.
    InstallInterruptHandler(TInterruptMode::EndAtOnce, false);
    const std::int64_t index = ParseIndex(indexText);
    TArcReader reader;
    OpenArchive(Options, reader);
    // The reader would create the output before looking at the index; a wrong
    // index must leave no empty file behind.
    const std::int32_t count = reader.GetFileCount();
    if (index < 0 || index >= count) {
        const std::string range =
            count == 0 ? "the archive has no entries" : "0 to " + std::to_string(count - 1);
        throw TFileFailure{Options.Operands[0],
                           ECliError("index " + indexText + " out of range (" + range + ")")};
    }
    const auto entry = static_cast<std::int32_t>(index);
    if (!Options.NoSpaceCheck)
        CheckSharedData(Options, TRunCheck(reader), {&entry, 1});
    HoldEntry(PrintedName(reader, entry), IsTerminal(STDERR_FILENO));
    try {
        if (output == "-")
            reader.ExtractTo(entry, WriteToStdout);
        else
            reader.ExtractFile(entry, output);
    } catch (const Exception &e) {
        ClearEntryInHand();
        ReportEntryError(reader, entry, e);
        return ExitFailure;
    }
    ClearEntryInHand();
    return ExitOk;
}

int RunExtractAll(const TCliOptions &Options)
{
    const std::string &folder = Options.Operands[1];
    // Ctrl+C asks the run to stop before the next entry; the entry in hand is
    // finished, so no file is left half written by the interruption. A second
    // one is for an entry that takes too long.
    TProgressLine progress(STDERR_FILENO);
    InstallInterruptHandler(TInterruptMode::StopBeforeNextEntry, progress.Active());
    TArcReader reader;
    OpenArchive(Options, reader);
    TEntrySelection selection(PatternsFrom(Options, 2));
    const std::vector<std::int32_t> chosen = ChooseEntries(reader, selection);
    // Before anything is written: an archive can claim far more than it
    // holds, and a full disk halfway through helps nobody.
    if (!Options.NoSpaceCheck) {
        const TRunCheck check(reader);
        check.CheckRoom(chosen, folder);
        CheckSharedData(Options, check, chosen);
    }

    const bool escapeMessages = IsTerminal(STDERR_FILENO);
    const auto count = static_cast<std::int32_t>(chosen.size());
    std::int32_t position = 0;
    std::int32_t current = -1; // the entry being written
    bool stopped = false;
    reader.SetOnProgress([&](TArcReader &, const std::string &) {
        if (InterruptRequested()) {
            stopped = true;
            ClearEntryInHand();
            return true;
        }
        current = chosen[static_cast<std::size_t>(position)];
        const std::string name = PrintedName(reader, current);
        HoldEntry(name, escapeMessages);
        progress.Show(position++, count, name);
        return false;
    });
    try {
        reader.ExtractAll(folder, chosen);
    } catch (const Exception &e) {
        ClearEntryInHand();
        progress.Keep(); // shows the entry that failed
        if (current < 0)
            throw;
        ReportEntryError(reader, current, e);
        ReportUnmatched(selection);
        return ExitFailure;
    }
    ClearEntryInHand();
    if (stopped) {
        progress.Keep();
        return ExitInterrupted;
    }
    progress.Clear();
    return ReportUnmatched(selection);
}

} // namespace trovel
