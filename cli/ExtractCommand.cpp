#include "ExtractCommand.h"

#include "Commands.h"

namespace trovel {

TExtractCommand::TExtractCommand(const TCliOptions &Options, TCliStreams Streams)
    // One entry has no next one to stop before: Ctrl+C ends it at once.
    : TArchiveCommand(Options, Streams,
                      {.FirstPattern = std::nullopt, .Interrupt = TInterruptMode::EndAtOnce})
{
}

int TExtractCommand::Run()
{
    const std::string &indexText = FOptions.Operands[1];
    const std::string &output = FOptions.Operands[2];
    Open();
    // The reader would create the output before looking at the index; a wrong
    // index must leave no empty file behind.
    const std::int32_t count = FReader.GetFileCount();
    const std::int64_t index = FOptions.Index;
    if (index < 0 || index >= count) {
        const std::string range =
            count == 0 ? "the archive has no entries" : "0 to " + std::to_string(count - 1);
        throw TFileFailure{FOptions.Operands[0],
                           ECliError("index " + indexText + " out of range (" + range + ")")};
    }
    const auto entry = static_cast<std::int32_t>(index);
    CheckSharedData({&entry, 1});
    FInHand.Hold(Shown(NameOf(entry), FStreams.Err));
    try {
        if (output == "-") {
            // Standard output takes the entry's data as it comes. A reader
            // that has gone away ends the program: SIGPIPE does it, or, where
            // SIGPIPE is ignored, the failed write.
            FReader.ExtractTo(entry, [this](const void *Data, std::size_t Length) {
                FStreams.Out.Write({static_cast<const char *>(Data), Length});
            });
            FStreams.Out.Flush();
        } else {
            FReader.ExtractFile(entry, output);
        }
    } catch (const Exception &e) {
        FInHand.Release();
        ReportEntryError(entry, e);
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace trovel
