#include "ExtractAllCommand.h"

#include "Commands.h"
#include "FileLayer.h"
#include "RunCheck.h"
#include "TerminalText.h"

namespace trovel {

namespace {

// Whether anything stands at Path: a file, a folder, a link (even one that
// leads nowhere), a pipe.
bool NameTaken(const std::string &Path)
{
    return StandingAt(Path, false).Kind != TStanding::TKind::None;
}

} // namespace

TExtractAllCommand::TExtractAllCommand(const TCliOptions &Options, TCliStreams Streams)
    // Ctrl+C asks the run to stop before the next entry; the entry in hand is
    // finished, so no file is left half written by the interruption. A second
    // one is for an entry that takes too long.
    : TArchiveCommand(
          Options, Streams,
          {.FirstPattern = 2, .Interrupt = TInterruptMode::StopBeforeNextEntry, .Progress = true})
{
}

int TExtractAllCommand::Run()
{
    const std::string &folder = FOptions.Operands[1];
    Open();
    std::size_t skipped = 0;
    if (FOptions.SkipOldFiles) {
        // Decided before the run, against what was there before it: a name
        // the archive holds twice is written as without the option.
        std::erase_if(FChosen, [&](std::int32_t Index) {
            const bool taken = NameTaken(folder + "/" + NameOf(Index));
            skipped += taken;
            return taken;
        });
    }
    // Before anything is written: an archive can claim far more than it
    // holds, and a full disk halfway through helps nobody.
    if (!FOptions.NoSpaceCheck)
        TRunCheck(FReader).CheckRoom(FChosen, folder);
    CheckSharedData(FChosen);
    UseJobs();

    const TCliStream &out = FStreams.Out;
    const bool escapeMessages = FStreams.Err.IsTerminal();
    const auto count = static_cast<std::int32_t>(FChosen.size());
    std::int32_t position = 0;
    std::int32_t current = -1; // the entry being written
    bool stopped = false;
    FReader.SetOnProgress([&](TArcReader &, const std::string &) {
        if (InterruptRequested()) {
            stopped = true;
            FInHand.Release();
            return true;
        }
        current = FChosen[static_cast<std::size_t>(position)];
        const std::string name = NameOf(current);
        FInHand.Hold(escapeMessages ? Escaped(name) : name);
        FProgress.Show(position++, count, name);
        if (Verbose()) {
            Output(Shown(name, out) + '\n');
            if (out.IsTerminal())
                FlushOutput();
        }
        return false;
    });
    try {
        FReader.ExtractAll(folder, FChosen);
    } catch (const Exception &e) {
        FInHand.Release();
        FProgress.Keep(); // shows the entry that failed
        if (current < 0)
            throw;
        ReportEntryError(current, e);
        ReportUnmatched();
        return ExitFailure;
    }
    FInHand.Release();
    FlushOutput();
    if (stopped) {
        FProgress.Keep();
        return ExitInterrupted;
    }
    FProgress.Clear();
    if (FOptions.SkipOldFiles && !Quiet())
        ReportError("skipped " + std::to_string(skipped) +
                    (skipped == 1 ? " entry whose name is" : " entries whose names are") +
                    " taken in " + Shown(folder, FStreams.Err) + " already");
    return ReportUnmatched();
}

} // namespace trovel
