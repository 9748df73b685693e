// trovel-cli: lists, tests and extracts archives from scripts and batch jobs,
// on the same engine as the window.
#include "CliOptions.h"
#include "Commands.h"

#include <clocale>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace trovel {

namespace {

int Run(const std::vector<std::string> &Args)
{
    const TCliOptions options = ParseCommandLine(Args);
    switch (options.Command) {
    case TCliCommand::Help:
        std::fputs(UsageText, stdout);
        FlushOutput();
        return ExitOk;
    case TCliCommand::Version:
        std::fputs("trovel-cli " TROVEL_VERSION "\n", stdout);
        FlushOutput();
        return ExitOk;
    case TCliCommand::List:
        return RunList(options);
    case TCliCommand::Test:
        return RunTest(options);
    case TCliCommand::Extract:
        return RunExtract(options);
    case TCliCommand::ExtractAll:
        return RunExtractAll(options);
    }
    return ExitUsage;
}

} // namespace

} // namespace trovel

int main(int argc, char **argv)
{
    using namespace trovel;
    // For the terminal's character set and widths when names are shown on
    // it; names and paths pass through as bytes everywhere else.
    std::setlocale(LC_CTYPE, "");
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const TUsageError &) {
        std::fputs(UsageText, stderr);
        return ExitUsage;
    } catch (const TQuietFailure &) {
    } catch (const TFileFailure &failure) {
        std::fputs(FailureLine(failure).c_str(), stderr);
    } catch (const Exception &e) {
        std::fputs(FailureLine(e).c_str(), stderr);
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "trovel-cli: %s\n", EOutOfMemory().what());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "trovel-cli: %s\n", e.what());
    }
    return ExitFailure;
}
