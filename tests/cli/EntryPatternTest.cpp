// Choosing entries by PATTERN: the forms with and without wildcards.
#include "EntryPattern.h"

#include <gtest/gtest.h>

using namespace trovel;

namespace {

struct TPatternCase
{
    const char *Pattern;
    const char *Name;
    bool Matches;
};

const TPatternCase PatternCases[] = {
    // without wildcards: the entry itself and everything below it
    {"textures", "textures/sky.tex", true},
    {"textures/", "textures/a/b.tex", true},
    {"textures/", "textures", true},
    {"textures", "textures2/sky.tex", false},
    {"textures", "Textures/sky.tex", false},
    {"sky.tex", "textures/sky.tex", false},
    {"a[b", "a[b", true},
    {"a\\b", "a\\b", true},
    // wildcards over the whole name, "/" included
    {"*.tex", "textures/a/b.tex", true},
    {"*.tex", "b.tex.bak", false},
    {"textures?sky.tex", "textures/sky.tex", true},
    {"tex", "textures/sky.tex", false},
    {"*a*b*c", "xaxxbxxcx", false},
    {"*a*b*c", "xaxxbxxcxc", true},
    {"caf?.txt", "caf\xC3\xA9.txt", true},
    {"caf?.txt", "caf\xE9.txt", true},
    {"caf??.txt", "caf\xC3\xA9.txt", false},
    {"*[0-9].map", "maps/10.map", true},
    {"*[!0-9].map", "maps/10.map", false},
    {"[]x]*", "]", true},
    {"[a-]", "-", true},
    {"[[:digit:]]?", "7x", true},
    {"[[:digit:]]?", "x7", false},
    {"[\xC3\xA0-\xC3\xBF]", "\xC3\xA9", true},
    {"\\*", "*", true},
    {"a[b*", "a[bcd", true},
    {"*.dat", "a.dat/b.dat", true},
    {"*.dat", "a.dat/b.da", false},
    {"*/sub1?/*7.dat", "f/sub12/file0000017.dat", true},
    {"*\xE9", "caf\xC3\xA9", false},
    {"*\xA9", "caf\xC3\xA9", false},
    {"*\xA9", "caf\xA9", true},
    {"*", "", true},
    {"?", "", false},
};

} // namespace

TEST(EntryPattern, choosesNamesByItsForm)
{
    for (const TPatternCase &c : PatternCases)
        EXPECT_EQ(TEntryPattern(c.Pattern).Matches(c.Name), c.Matches)
            << c.Pattern << " against " << c.Name;
}

TEST(EntryPattern, everyMatchingPatternCountsAsUsed)
{
    TEntrySelection selection({"*.tex", "sky.tex", "a", "a/b.tex"});
    EXPECT_TRUE(selection.Choose("a/b.tex"));
    EXPECT_FALSE(selection.Choose("b.map"));
    EXPECT_EQ(selection.Unmatched(), std::vector<std::string>{"sky.tex"});
    EXPECT_TRUE(TEntrySelection({}).Choose("anything"));
}

TEST(EntryPattern, ignoringCaseFoldsNamesPatternsAndExclusions)
{
    // Simple folding: one character stays one, even where its UTF-8 length
    // changes (KELVIN SIGN to "k"; Windows' casing keeps that one apart);
    // the unmatched pattern is told as given.
#ifdef _WIN32
    TEntrySelection selection({"MAPS", "\u00C9lan*", "STRASSE"}, {"*.BAK"}, true);
    EXPECT_TRUE(selection.Choose("\u00E9LAN.txt"));
#else
    TEntrySelection selection({"MAPS", "\u212Aelvin*", "STRASSE"}, {"*.BAK"}, true);
    EXPECT_TRUE(selection.Choose("kELVIN.txt"));
#endif
    EXPECT_TRUE(selection.Choose("maps/Alpha.map"));
    EXPECT_FALSE(selection.Choose("Maps/old.bak"));
    EXPECT_FALSE(selection.Choose("stra\u00DFe"));
    EXPECT_EQ(selection.Unmatched(), std::vector<std::string>{"STRASSE"});
    EXPECT_FALSE(TEntrySelection({"MAPS"}).Choose("maps/Alpha.map"));
}
