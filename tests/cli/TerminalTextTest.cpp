// Names shown on a terminal: what is escaped and what stays.
#include "TerminalText.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace trovel;

TEST(TerminalText, escapesWhatCouldDriveTheTerminal)
{
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const std::pair<std::string, std::string> cases[] = {
        {"plain/name.tex", "plain/name.tex"},
        {"tab\there\nnew\rret", "tab\\there\\nnew\\rret"},
        {"\x1B[2Jclear", "\\e[2Jclear"},
        {"\x1B]52;c;aGk=\x07", "\\e]52;c;aGk=\\x07"},
        {"del\x7F", "del\\x7F"},
        {"Gel\xC3\xA4nde", "Gel\xC3\xA4nde"},
        {"Gel\xE4nde", "Gel\\xE4nde"},
        {"csi\xC2\x9B", "csi\\xC2\\x9B"},
        {"cut\xE2\x82", "cut\\xE2\\x82"},
        // a backslash cannot pass for an escape
        {"x\\e[2J", "x\\\\e[2J"},
        // format characters and separators show as nothing, or reorder the line
        {"safe\u202Etxt.exe", "safe\\u202Etxt.exe"},
        {"\u2066isolate\u2069", "\\u2066isolate\\u2069"},
        {"zero\u200Bwidth\u200D\u2060", "zero\\u200Bwidth\\u200D\\u2060"},
        {"\uFEFFbom", "\\uFEFFbom"},
        {"soft\u00ADhyphen", "soft\\u00ADhyphen"},
        {"line\u2028para\u2029", "line\\u2028para\\u2029"},
        {"tag\U000E0041", "tag\\U000E0041"},
        {"\u2010hyphen \u202F\u00A0spaces", "\u2010hyphen \u202F\u00A0spaces"},
    };
    for (const auto &[text, shown] : cases)
        EXPECT_EQ(Escaped(text), shown);
#ifndef _WIN32 // the console there shows UTF-8 whatever the locale
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(Escaped("Gel\xC3\xA4nde"), "Gel\\xC3\\xA4nde"); // ASCII only
#endif
}
