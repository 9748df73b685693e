// trovel-cli: lists, tests and extracts archives from scripts and batch jobs,
// on the same engine as the window.
#include "CliRun.h"

#include <clocale>
#include <unistd.h>

int main(int argc, char **argv)
{
    using namespace trovel;
    // For the terminal's character set and widths when names are shown on
    // it; names and paths pass through as bytes everywhere else.
    std::setlocale(LC_CTYPE, "");
    TFdStream out(STDOUT_FILENO);
    TFdStream err(STDERR_FILENO);
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), {out, err});
}
