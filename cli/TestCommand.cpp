#include "TestCommand.h"

#include "Commands.h"
#include "EntryNames.h"
#include "TerminalText.h"

namespace trovel {

TTestCommand::TTestCommand(const TCliOptions &Options, TCliStreams Streams)
    // Like extract-all: a first Ctrl+C stops before the next entry, a second
    // one ends the program at once.
    : TArchiveCommand(
          Options, Streams,
          {.FirstPattern = 1, .Interrupt = TInterruptMode::StopBeforeNextEntry, .Progress = true})
{
}

int TTestCommand::Run()
{
    Open();
    CheckSharedData(FChosen);
    UseJobs();
    FReader.ReadAhead(FChosen);
    const TCliStream &out = FStreams.Out;
    const bool escapeMessages = FStreams.Err.IsTerminal();
    const auto count = static_cast<std::int32_t>(FChosen.size());
    bool failed = false;
    for (std::int32_t position = 0; position < count; ++position) {
        if (InterruptRequested()) {
            FProgress.Keep();
            FlushOutput();
            return ExitInterrupted;
        }
        const std::int32_t index = FChosen[static_cast<std::size_t>(position)];
        const std::string name = NameOf(index);
        FInHand.Hold(escapeMessages ? Escaped(name) : name);
        FProgress.Show(position, count, name);
        if (Verbose()) {
            Output(Shown(name, out) + '\n');
            if (out.IsTerminal())
                FlushOutput();
        }
        try {
            FReader.TestFile(index);
            FInHand.Release();
        } catch (const Exception &e) {
            FInHand.Release();
            failed = true;
            // The line goes out at once: stdout and the progress line may
            // share one terminal.
            FProgress.Clear();
            Output(std::to_string(index) + '\t' + Shown(name, out) + '\t' +
                   EntryMessage(e, FReader, index, out.IsTerminal()) + '\n');
            FlushOutput();
        }
    }
    FProgress.Clear();
    FlushOutput();
    const int unmatched = ReportUnmatched();
    return failed ? ExitFailure : unmatched;
}

} // namespace trovel
