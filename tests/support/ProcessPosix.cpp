#include "Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace trovel::testing {

namespace {

std::vector<char *> Pointers(std::vector<std::string> &Strings)
{
    std::vector<char *> pointers;
    for (std::string &text : Strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

TProcess::TProcess(std::vector<std::string> Arguments) : FArguments(std::move(Arguments)) {}

TProcess::~TProcess()
{
    if (FPid > 0) {
        ::kill(FPid, SIGKILL);
        Wait();
    }
}

TProcess &TProcess::RedirectToFile(int Stream, const std::string &Path)
{
    FRedirections.push_back({Stream, Path, -1});
    return *this;
}

TProcess &TProcess::RedirectToHandle(int Stream, int Handle)
{
    FRedirections.push_back({Stream, {}, Handle});
    return *this;
}

TProcess &TProcess::SetVariable(const std::string &Name, const std::string &Value)
{
    FVariables.emplace_back(Name, Value);
    return *this;
}

void TProcess::Start()
{
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const TRedirection &r : FRedirections) {
        if (r.Path.empty())
            posix_spawn_file_actions_adddup2(&actions, r.Handle, r.Stream);
        else
            posix_spawn_file_actions_addopen(&actions, r.Stream, r.Path.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }

    std::vector<std::string> environment;
    for (const auto &[name, value] : FVariables)
        environment.push_back(name + '=' + value);
    for (char **variable = environ; *variable; ++variable) {
        const std::string_view text = *variable;
        bool replaced = false;
        for (const auto &[name, value] : FVariables)
            replaced = replaced || text.starts_with(name + '=');
        if (!replaced)
            environment.emplace_back(text);
    }
    std::vector<std::string> arguments = FArguments;
    const int status = posix_spawn(&FPid, arguments.at(0).c_str(), &actions, &attributes,
                                   Pointers(arguments).data(), Pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (status != 0) {
        FPid = -1;
        throw std::runtime_error("cannot start " + FArguments.at(0));
    }
}

int TProcess::Wait()
{
    int status = 0;
    while (::waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
    }
    FPid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

int RunQuietly(std::vector<std::string> Arguments)
{
    TProcess process(std::move(Arguments));
    process.RedirectToFile(STDOUT_FILENO, "/dev/null").RedirectToFile(STDERR_FILENO, "/dev/null");
    process.Start();
    return process.Wait();
}

} // namespace trovel::testing
