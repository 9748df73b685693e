#pragma once

#include "ArcErrors.h"

#include <string>
#include <string_view>

// Windows only: the system's wide-character calls take UTF-16; the engine's
// paths and texts are UTF-8.
namespace trovel {

// UTF-16 from UTF-8; an invalid sequence becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view Text);
// UTF-8 from UTF-16; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view Text);

// The system's text for a Win32 error code (GetLastError), without the
// trailing line break.
std::string Win32Reason(unsigned long Code);

// Error with the system's reason for the Win32 error Code attached; none for
// 0, where the system reported no error (a short read at the end of a file).
template <typename TError>
TError WithWin32Reason(TError Error, unsigned long Code)
{
    if (Code != 0)
        Error.SetReason(Win32Reason(Code));
    return Error;
}

} // namespace trovel
