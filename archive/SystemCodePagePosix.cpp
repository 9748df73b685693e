// The Windows ANSI code page that belongs to the user's locale. Windows picks
// it from the user's language (and for Chinese the territory); here the
// language is the one the locale names, read as the C library resolves the
// character type locale. The name is read from the environment rather than
// from setlocale, so a language whose locale data is not installed still
// counts, and so no caller has to have called setlocale first.
#include "NameCodec.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace trovel {

namespace {

struct TLanguagePage
{
    std::string_view Language;
    int CodePage;
};

constexpr TLanguagePage LanguagePages[] = {
    {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"ro", 1250}, {"hr", 1250},
    {"sl", 1250}, {"sq", 1250}, {"bs", 1250}, {"ru", 1251}, {"uk", 1251}, {"be", 1251},
    {"bg", 1251}, {"sr", 1251}, {"mk", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254},
    {"he", 1255}, {"iw", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"et", 1257},
    {"lv", 1257}, {"lt", 1257}, {"vi", 1258}, {"th", 874},  {"ja", 932},  {"zh", 936},
    {"ko", 949},
};

// The environment variable that decides the character type locale: the
// first of LC_ALL, LC_CTYPE and LANG that is set and not empty.
std::string_view LocaleName()
{
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return "C";
}

} // namespace

int SystemCodePage()
{
    // language[_territory][.codeset][@modifier]
    const std::string_view name = LocaleName();
    const std::string_view language = name.substr(0, name.find_first_of("_.@"));
    std::string_view territory;
    if (const std::size_t underscore = name.find('_'); underscore == language.size())
        territory =
            name.substr(underscore + 1, name.find_first_of(".@", underscore) - underscore - 1);
    std::string_view modifier;
    if (const std::size_t at = name.find('@'); at != std::string_view::npos)
        modifier = name.substr(at + 1);

    if (language == "zh")
        return territory == "TW" || territory == "HK" || territory == "MO" ? 950 : 936;
    // Serbian, Bosnian and Azerbaijani are written in Latin and in Cyrillic
    // letters; the locale's modifier names the script where it is not the
    // usual one.
    if (language == "sr" || language == "bs" || language == "az") {
        if (modifier == "latin")
            return language == "az" ? 1254 : 1250;
        if (modifier == "cyrillic")
            return 1251;
    }
    for (const TLanguagePage &entry : LanguagePages) {
        if (entry.Language == language)
            return entry.CodePage;
    }
    return 1252;
}

} // namespace trovel
