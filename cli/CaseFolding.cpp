#include "CaseFolding.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace trovel {

void AppendFolded(std::string_view Text, std::string &Out)
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(Text.data());
    const auto length = static_cast<std::int32_t>(Text.size());
    std::int32_t at = 0;
    while (at < length) {
        const std::int32_t start = at;
        UChar32 code = 0;
        U8_NEXT(bytes, at, length, code);
        if (code < 0) {
            Out.append(
                Text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(at - start)));
            continue;
        }
        const UChar32 folded = u_foldCase(code, U_FOLD_CASE_DEFAULT);
        char encoded[U8_MAX_LENGTH];
        std::int32_t used = 0;
        U8_APPEND_UNSAFE(encoded, used, folded); // a code point takes at most 4 bytes
        Out.append(encoded, static_cast<std::size_t>(used));
    }
}

} // namespace trovel
