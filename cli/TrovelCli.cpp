// trovel-cli: lists, tests and extracts archives from scripts and batch jobs,
// on the same engine as the window.
#include "CliRun.h"
#include "ProgramStart.h"

#include <unistd.h>

int main(int argc, char **argv)
{
    using namespace trovel;
    TFdStream out(STDOUT_FILENO);
    TFdStream err(STDERR_FILENO);
    return RunCli(StartProgram(argc, argv), {out, err});
}
