#include "WideText.h"

#include <windows.h>

#include <climits>

namespace trovel {

std::wstring WideFromUtf8(std::string_view Text)
{
    if (Text.empty() || Text.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(Text.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, Text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, Text.data(), length, wide.data(), needed);
    return wide;
}

std::string Utf8FromWide(std::wstring_view Text)
{
    if (Text.empty() || Text.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(Text.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), length, text.data(), needed, nullptr, nullptr);
    return text;
}

std::string Win32Reason(unsigned long Code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, Code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    if (length == 0 || !buffer)
        return "Windows error " + std::to_string(Code);
    std::wstring_view text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.remove_suffix(1);
    std::string reason = Utf8FromWide(text);
    ::LocalFree(buffer);
    return reason;
}

} // namespace trovel
