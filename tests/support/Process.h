#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace trovel::testing {

// A program run as a child process, the way a shell starts it: Ctrl+C and a
// closed pipe act on it with their default actions, whatever the caller set
// for itself. A child still running when the object goes is killed and
// reaped, so that a failed test leaves none behind.
class TProcess final
{
public:
    // Arguments[0] is the program's path.
    explicit TProcess(std::vector<std::string> Arguments);
    ~TProcess();
    TProcess(const TProcess &) = delete;
    TProcess &operator=(const TProcess &) = delete;

    // Before Start: the standard stream Stream (STDOUT_FILENO, ...) goes to
    // the file Path, made afresh ("/dev/null" discards it), or to the open
    // descriptor Handle; otherwise the child shares the caller's.
    TProcess &RedirectToFile(int Stream, const std::string &Path);
    TProcess &RedirectToHandle(int Stream, int Handle);
    // The variable Name has Value in the child's environment.
    TProcess &SetVariable(const std::string &Name, const std::string &Value);

    // Raises std::runtime_error when the program cannot be started.
    void Start();
    pid_t Pid() const { return FPid; }
    // Waits for the end: the exit status, or minus the number of the signal
    // that ended the child.
    int Wait();

private:
    struct TRedirection
    {
        int Stream;
        std::string Path; // empty: to Handle
        int Handle;
    };

    std::vector<std::string> FArguments;
    std::vector<TRedirection> FRedirections;
    std::vector<std::pair<std::string, std::string>> FVariables;
    pid_t FPid = -1;
    std::intptr_t FHandle = 0; // Windows: the child's process handle
};

// Runs the program to its end with stdout and stderr discarded; its exit
// status as Wait gives it.
int RunQuietly(std::vector<std::string> Arguments);

} // namespace trovel::testing
