// Child processes on Windows: CreateProcessW with the standard handles given.
#include "Process.h"

#include "WideText.h"

#include <windows.h>

#include <io.h>

#include <stdexcept>
#include <unistd.h>
#include <utility>

namespace trovel::testing {

namespace {

// One argument as the C runtime's parser reads it back: quoted, with the
// backslashes before a quote doubled.
void AppendQuoted(const std::wstring &Argument, std::wstring &Line)
{
    if (!Argument.empty() && Argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        Line += Argument;
        return;
    }
    Line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t character : Argument) {
        if (character == L'\\') {
            ++backslashes;
            continue;
        }
        Line.append(character == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        Line += character;
    }
    Line.append(2 * backslashes, L'\\');
    Line += L'"';
}

HANDLE Inheritable(HANDLE Handle)
{
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), Handle, ::GetCurrentProcess(), &copy, 0, TRUE,
                           DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

} // namespace

TProcess::TProcess(std::vector<std::string> Arguments) : FArguments(std::move(Arguments)) {}

TProcess::~TProcess()
{
    if (FHandle) {
        ::TerminateProcess(reinterpret_cast<HANDLE>(FHandle), 1);
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
    std::wstring line;
    for (const std::string &argument : FArguments) {
        if (!line.empty())
            line += L' ';
        AppendQuoted(WideFromUtf8(argument), line);
    }

    HANDLE streams[3] = {Inheritable(::GetStdHandle(STD_INPUT_HANDLE)),
                         Inheritable(::GetStdHandle(STD_OUTPUT_HANDLE)),
                         Inheritable(::GetStdHandle(STD_ERROR_HANDLE))};
    for (const TRedirection &r : FRedirections) {
        HANDLE &slot = streams[r.Stream == STDIN_FILENO ? 0 : r.Stream == STDOUT_FILENO ? 1 : 2];
        if (slot)
            ::CloseHandle(slot);
        if (!r.Path.empty()) {
            SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
            const std::wstring path = r.Path == "/dev/null" ? L"NUL" : WideFromUtf8(r.Path);
            slot = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (slot == INVALID_HANDLE_VALUE)
                slot = nullptr;
        } else {
            slot = Inheritable(reinterpret_cast<HANDLE>(::_get_osfhandle(r.Handle)));
        }
    }

    // The environment block: the variables set here, then the caller's
    // others, each "NAME=value\0", ended by one more "\0".
    std::wstring environment;
    for (const auto &[name, value] : FVariables)
        environment += WideFromUtf8(name + '=' + value) + L'\0';
    if (wchar_t *own = ::GetEnvironmentStringsW()) {
        for (const wchar_t *variable = own; *variable; variable += wcslen(variable) + 1) {
            const std::wstring text = variable;
            bool replaced = false;
            for (const auto &[name, value] : FVariables)
                replaced = replaced || text.starts_with(WideFromUtf8(name) + L'=');
            if (!replaced)
                environment += text + L'\0';
        }
        ::FreeEnvironmentStringsW(own);
    }
    environment += L'\0';

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = streams[0];
    startup.hStdOutput = streams[1];
    startup.hStdError = streams[2];
    PROCESS_INFORMATION process = {};
    const std::wstring program = WideFromUtf8(FArguments.at(0));
    const BOOL started = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                          CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr,
                                          &startup, &process);
    for (HANDLE stream : streams) {
        if (stream)
            ::CloseHandle(stream);
    }
    if (!started)
        throw std::runtime_error("cannot start " + FArguments.at(0));
    ::CloseHandle(process.hThread);
    FPid = static_cast<pid_t>(process.dwProcessId);
    FHandle = reinterpret_cast<std::intptr_t>(process.hProcess);
}

int TProcess::Wait()
{
    const auto process = reinterpret_cast<HANDLE>(std::exchange(FHandle, 0));
    DWORD status = 1;
    if (process) {
        ::WaitForSingleObject(process, INFINITE);
        ::GetExitCodeProcess(process, &status);
        ::CloseHandle(process);
    }
    FPid = -1;
    return static_cast<int>(status);
}

int RunQuietly(std::vector<std::string> Arguments)
{
    TProcess process(std::move(Arguments));
    process.RedirectToFile(STDOUT_FILENO, "/dev/null").RedirectToFile(STDERR_FILENO, "/dev/null");
    process.Start();
    return process.Wait();
}

} // namespace trovel::testing
