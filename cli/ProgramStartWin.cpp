#include "ProgramStart.h"

#include "WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <fcntl.h>
#include <io.h>

namespace trovel {

namespace {

UINT SavedOutputPage = 0;

void RestoreOutputPage()
{
    ::SetConsoleOutputCP(SavedOutputPage);
}

void EnableEscapes(DWORD Stream)
{
    const HANDLE handle = ::GetStdHandle(Stream);
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode))
        ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

} // namespace

std::vector<std::string> StartProgram(int, char **)
{
    // Data written to stdout is bytes; no line ends are added.
    ::_setmode(1, _O_BINARY);
    ::_setmode(2, _O_BINARY);
    // The console shows the UTF-8 the program writes, and the progress
    // line's escapes; the console's own page comes back at the end.
    SavedOutputPage = ::GetConsoleOutputCP();
    if (SavedOutputPage != 0 && ::SetConsoleOutputCP(CP_UTF8))
        std::atexit(RestoreOutputPage);
    EnableEscapes(STD_OUTPUT_HANDLE);
    EnableEscapes(STD_ERROR_HANDLE);

    // The ANSI arguments lose every character outside the system's code
    // page; the wide ones keep them.
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Utf8FromWide(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

} // namespace trovel
