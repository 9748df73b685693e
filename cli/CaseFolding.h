#pragma once

#include <string>
#include <string_view>

namespace trovel {

// Text with each character replaced by its Unicode simple case folding, so
// that two texts that differ only in case come out equal ("MAPS", "Maps" and
// "maps"; "STRASSE" stays apart from "straße", as simple folding keeps one
// character one). Text is UTF-8; a byte that begins no valid sequence is
// kept as it is. Appends to Out. One file per platform: ICU's folding on
// POSIX (CaseFolding.cpp), the system's own casing on Windows
// (CaseFoldingWin.cpp), which compares as its file systems compare names.
void AppendFolded(std::string_view Text, std::string &Out);
inline std::string Folded(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size());
    AppendFolded(Text, out);
    return out;
}

} // namespace trovel
