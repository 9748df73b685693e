#include "CaseFolding.h"

#include "Utf8.h"
#include "WideText.h"

#include <windows.h>

namespace trovel {

namespace {

// One casing of the system's, on the invariant locale: the casing the file
// systems use, with no language's rules.
std::wstring Mapped(const std::wstring &Text, DWORD Casing)
{
    std::wstring mapped(Text.size(), L'\0');
    const int length =
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, Casing, Text.data(), static_cast<int>(Text.size()),
                        mapped.data(), static_cast<int>(mapped.size()), nullptr, nullptr, 0);
    if (length <= 0)
        return Text;
    mapped.resize(static_cast<std::size_t>(length));
    return mapped;
}

} // namespace

void AppendFolded(std::string_view Text, std::string &Out)
{
    // The system's lower case and then its upper case, each one character
    // for one: "\u212A" (KELVIN SIGN), "k" and "K" meet, as do the two
    // sigmas; "ß" stays apart from "SS".
    while (!Text.empty()) {
        const std::size_t valid = Utf8Prefix(Text);
        if (valid > 0) {
            const std::wstring wide = WideFromUtf8(Text.substr(0, valid));
            Out += Utf8FromWide(Mapped(Mapped(wide, LCMAP_LOWERCASE), LCMAP_UPPERCASE));
            Text.remove_prefix(valid);
        }
        const std::size_t bad = IllFormedPrefix(Text);
        Out.append(Text.substr(0, bad));
        Text.remove_prefix(bad);
    }
}

} // namespace trovel
