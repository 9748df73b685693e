#include "CliRun.h"

#include "CliOptions.h"
#include "Command.h"
#include "Commands.h"
#include "EntryNames.h"
#include "TerminalText.h"

#include <exception>
#include <new>

#ifndef TROVEL_VERSION
#define TROVEL_VERSION "1.0"
#endif

namespace trovel {

namespace {

const char *const VersionText = "trovel-cli " TROVEL_VERSION "\n"
                                "Copyright (c) 2026 The Trovel developers\n"
                                "Licence: MIT <https://opensource.org/licenses/MIT>\n";

int Run(const std::vector<std::string> &Args, TCliStreams Streams)
{
    const TCliOptions options = ParseCommandLine(Args);
    switch (options.Command) {
    case TCliCommand::Help:
    case TCliCommand::Version:
        try {
            Streams.Out.Write(options.Command == TCliCommand::Help ? UsageText : VersionText);
            Streams.Out.Flush();
        } catch (const EWriteError &e) {
            throw TFileFailure{"standard output", e};
        }
        return ExitOk;
    default:
        return MakeCommand(options, Streams)->Run();
    }
}

std::string FailureLine(const TFileFailure &Failure, bool Escape)
{
    return "trovel-cli: " + (Escape ? Escaped(Failure.File) : Failure.File) + ": " +
           FailureMessage(Failure.Error, Escape) + '\n';
}

void Report(TCliStream &Err, const std::string &Text)
{
    try {
        Err.Write(Text);
        Err.Flush();
    } catch (...) {
        // nowhere left to tell it; the exit status does
    }
}

} // namespace

int RunCli(const std::vector<std::string> &Args, TCliStreams Streams)
{
    try {
        return Run(Args, Streams);
    } catch (const TUsageError &e) {
        Report(Streams.Err,
               "trovel-cli: " + e.Message + "\nTry 'trovel-cli --help' for more information.\n");
        return ExitUsage;
    } catch (const TQuietFailure &) {
    } catch (const TFileFailure &failure) {
        Report(Streams.Err, FailureLine(failure, Streams.Err.IsTerminal()));
    } catch (const Exception &e) {
        Report(Streams.Err, "trovel-cli: " + FailureMessage(e, Streams.Err.IsTerminal()) + '\n');
    } catch (const std::bad_alloc &) {
        Report(Streams.Err, std::string("trovel-cli: ") + EOutOfMemory().what() + "\n");
    } catch (const std::exception &e) {
        Report(Streams.Err, std::string("trovel-cli: ") + e.what() + "\n");
    }
    return ExitFailure;
}

} // namespace trovel
