#pragma once

#include "CliOptions.h"
#include "CliStreams.h"
#include "EntryPattern.h"
#include "Interruption.h"
#include "ProgressLine.h"
#include "uArcReader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trovel {

class Exception;

// One command of trovel-cli. Run returns the exit status; failures not tied
// to an entry are raised.
class TCommand
{
public:
    TCommand(const TCliOptions &Options, TCliStreams Streams) : FOptions(Options), FStreams(Streams)
    {
    }
    virtual ~TCommand() = default;
    TCommand(const TCommand &) = delete;
    TCommand &operator=(const TCommand &) = delete;

    virtual int Run() = 0;

protected:
    // Text as it may go to Stream: escaped when that is a terminal.
    static std::string Shown(const std::string &Text, const TCliStream &Stream);
    // "trovel-cli: Text" on the error stream, after everything written to
    // the output so far, so that a shared log keeps the order.
    void ReportError(const std::string &Text);
    // Text to standard output, and flushing it: a failure there concerns
    // standard output, not an entry (TFileFailure).
    void Output(std::string_view Text);
    void FlushOutput();
    bool Quiet() const { return FOptions.Verbosity == TVerbosity::Quiet; }
    bool Verbose() const { return FOptions.Verbosity == TVerbosity::Verbose; }

    const TCliOptions &FOptions;
    TCliStreams FStreams;
};

// The step every command on an archive shares: Ctrl+C set up as the command
// wants it, the progress line, the archive opened with the chosen code page,
// and for the commands that choose entries by pattern, the entries chosen.
class TArchiveCommand : public TCommand
{
protected:
    struct TSetup
    {
        // Where the PATTERNs begin among the operands; none for a command
        // that takes no patterns.
        std::optional<std::size_t> FirstPattern;
        // What Ctrl+C does; none leaves it to end the program as it does
        // any other.
        std::optional<TInterruptMode> Interrupt;
        // Whether the command shows its progress (on a terminal, and
        // neither -q nor -v given).
        bool Progress = false;
        // Whether Open lists the chosen entries; list chooses as it goes.
        bool ChooseAtOpen = true;
    };

    TArchiveCommand(const TCliOptions &Options, TCliStreams Streams, const TSetup &Setup);

    // A failure to open the archive concerns the archive (TFileFailure).
    void Open();
    // Before anything is read or written, unless --no-space-check: entries
    // that share data can make a small archive read for hours. A refusal
    // concerns the archive.
    void CheckSharedData(std::span<const std::int32_t> Indices) const;
    // The threads that inflate: -j, or one for each CPU online. Workers
    // inflate upcoming entries; the command still reads or writes them one by
    // one, in order, as with one thread.
    void UseJobs();
    // The name as trovel-cli prints it, and matches patterns against.
    std::string NameOf(std::int32_t Index) const;
    // "trovel-cli: <entry name>: <message>", so that a log shows which entry
    // was left unfinished.
    void ReportEntryError(std::int32_t Index, const Exception &Error);
    // The patterns that chose nothing, reported once the rest is done:
    // ExitFailure when there is one.
    int ReportUnmatched();

    TSetup FSetup;
    TArcReader FReader;
    TEntrySelection FSelection;
    std::vector<std::int32_t> FChosen;
    TProgressLine FProgress;
    // The entry a Ctrl+C that ends the program at once names on stderr.
    TEntryInHand FInHand;
};

// The command a command line asks for.
std::unique_ptr<TCommand> MakeCommand(const TCliOptions &Options, TCliStreams Streams);

} // namespace trovel
