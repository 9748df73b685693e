#include "Command.h"

#include "Commands.h"

#include "CatCommand.h"
#include "EntryNames.h"
#include "ExtractAllCommand.h"
#include "ExtractCommand.h"
#include "ListCommand.h"
#include "RunCheck.h"
#include "TerminalText.h"
#include "TestCommand.h"

#include <thread>

namespace trovel {

namespace {

const char *const StandardOutput = "standard output";

std::vector<std::string> PatternsFrom(const TCliOptions &Options, std::optional<std::size_t> First)
{
    if (!First)
        return {};
    return {Options.Operands.begin() + static_cast<std::ptrdiff_t>(*First), Options.Operands.end()};
}

} // namespace

std::string TCommand::Shown(const std::string &Text, const TCliStream &Stream)
{
    return Stream.IsTerminal() ? Escaped(Text) : Text;
}

void TCommand::Output(std::string_view Text)
{
    try {
        FStreams.Out.Write(Text);
    } catch (const EWriteError &e) {
        throw TFileFailure{StandardOutput, e};
    }
}

void TCommand::FlushOutput()
{
    try {
        FStreams.Out.Flush();
    } catch (const EWriteError &e) {
        throw TFileFailure{StandardOutput, e};
    }
}

void TCommand::ReportError(const std::string &Text)
{
    try {
        FStreams.Out.Flush();
    } catch (...) {
        // the output's own failure is told where it is written
    }
    FStreams.Err.Write("trovel-cli: " + Text + "\n");
    FStreams.Err.Flush();
}

TArchiveCommand::TArchiveCommand(const TCliOptions &Options, TCliStreams Streams,
                                 const TSetup &Setup)
    : TCommand(Options, Streams), FSetup(Setup),
      FSelection(PatternsFrom(Options, Setup.FirstPattern), Options.Excludes, Options.IgnoreCase),
      FProgress(Streams.Err, Setup.Progress && Options.Verbosity == TVerbosity::Normal)
{
}

void TArchiveCommand::Open()
{
    if (FSetup.Interrupt)
        InstallInterruptHandler(*FSetup.Interrupt, FProgress.Active());
    try {
        FReader.Open(FOptions.Operands[0]);
    } catch (const Exception &e) {
        throw TFileFailure{FOptions.Operands[0], e};
    }
    if (FOptions.Codec)
        FReader.SetNameCodec(*FOptions.Codec);
    if (FSetup.ChooseAtOpen && FSetup.FirstPattern)
        FChosen = ChooseEntries(FReader, FSelection);
}

void TArchiveCommand::CheckSharedData(std::span<const std::int32_t> Indices) const
{
    if (FOptions.NoSpaceCheck)
        return;
    try {
        TRunCheck(FReader).CheckSharedData(Indices);
    } catch (const ESharedDataError &e) {
        throw TFileFailure{FOptions.Operands[0], e};
    }
}

void TArchiveCommand::UseJobs()
{
    // One per online CPU unless told: std::thread counts those.
    const unsigned jobs = FOptions.Jobs ? *FOptions.Jobs : std::thread::hardware_concurrency();
    FReader.SetJobs(jobs > 0 ? jobs : 1);
}

std::string TArchiveCommand::NameOf(std::int32_t Index) const
{
    return PrintedName(FReader, Index);
}

void TArchiveCommand::ReportEntryError(std::int32_t Index, const Exception &Error)
{
    const bool escape = FStreams.Err.IsTerminal();
    ReportError(Shown(NameOf(Index), FStreams.Err) + ": " +
                EntryMessage(Error, FReader, Index, escape));
}

int TArchiveCommand::ReportUnmatched()
{
    const std::vector<std::string> unmatched = FSelection.Unmatched();
    for (const std::string &pattern : unmatched)
        ReportError("nothing matches " + pattern);
    return unmatched.empty() ? 0 : 1;
}

std::unique_ptr<TCommand> MakeCommand(const TCliOptions &Options, TCliStreams Streams)
{
    switch (Options.Command) {
    case TCliCommand::List:
        return std::make_unique<TListCommand>(Options, Streams);
    case TCliCommand::Test:
        return std::make_unique<TTestCommand>(Options, Streams);
    case TCliCommand::Extract:
        return std::make_unique<TExtractCommand>(Options, Streams);
    case TCliCommand::ExtractAll:
        return std::make_unique<TExtractAllCommand>(Options, Streams);
    case TCliCommand::Cat:
        return std::make_unique<TCatCommand>(Options, Streams);
    case TCliCommand::Help:
    case TCliCommand::Version:
        break;
    }
    return nullptr;
}

} // namespace trovel
