#pragma once

#include <QString>

#include <optional>

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace trovel {

// Windows only: the path of one of the user's known folders (Desktop,
// Documents, ...) with "/" separators; none when the folder does not exist.
inline std::optional<QString> KnownFolderPath(REFKNOWNFOLDERID Folder)
{
    wchar_t *path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(Folder, KF_FLAG_DONT_VERIFY, nullptr, &path);
    std::optional<QString> location;
    if (SUCCEEDED(result) && path && *path)
        location = QString::fromWCharArray(path).replace(u'\\', u'/');
    ::CoTaskMemFree(path);
    return location;
}

} // namespace trovel
