#include "CatCommand.h"

#include "Commands.h"

namespace trovel {

TCatCommand::TCatCommand(const TCliOptions &Options, TCliStreams Streams)
    // The data goes to a pipe or a terminal as it comes: Ctrl+C ends the
    // program at once, as it ends extract to standard output.
    : TArchiveCommand(Options, Streams, {.FirstPattern = 1, .Interrupt = TInterruptMode::EndAtOnce})
{
}

int TCatCommand::Run()
{
    Open();
    CheckSharedData(FChosen);
    UseJobs();
    FReader.ReadAhead(FChosen);
    TCliStream &out = FStreams.Out;
    for (const std::int32_t index : FChosen) {
        FInHand.Hold(Shown(NameOf(index), FStreams.Err));
        try {
            FReader.ExtractTo(index, [&out](const void *Data, std::size_t Length) {
                out.Write({static_cast<const char *>(Data), Length});
            });
            out.Flush();
        } catch (const Exception &e) {
            // The data written so far is in the output already; what follows
            // would be taken for the rest of this entry.
            FInHand.Release();
            ReportEntryError(index, e);
            ReportUnmatched();
            return ExitFailure;
        }
        FInHand.Release();
    }
    return ReportUnmatched();
}

} // namespace trovel
