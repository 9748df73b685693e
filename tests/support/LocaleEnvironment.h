#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace trovel::testing {

// Pins the locale the engine reads for as long as the object lives: LC_ALL,
// LC_CTYPE and LANG are set as given (empty: unset) and restored afterwards.
class TLocaleEnvironment final
{
public:
    explicit TLocaleEnvironment(const std::string &LcAll, const std::string &LcCtype = "",
                                const std::string &Lang = "")
    {
        const std::string values[] = {LcAll, LcCtype, Lang};
        for (int i = 0; i < 3; ++i) {
            if (const char *old = std::getenv(Names[i]))
                FSaved[i] = old;
            Set(Names[i], values[i]);
        }
    }
    ~TLocaleEnvironment()
    {
        for (int i = 0; i < 3; ++i)
            Set(Names[i], FSaved[i].value_or(""));
    }
    TLocaleEnvironment(const TLocaleEnvironment &) = delete;
    TLocaleEnvironment &operator=(const TLocaleEnvironment &) = delete;

private:
    static void Set(const char *Name, const std::string &Value)
    {
#ifdef _WIN32
        ::_putenv_s(Name, Value.c_str()); // an empty value unsets
#else
        if (Value.empty())
            ::unsetenv(Name);
        else
            ::setenv(Name, Value.c_str(), 1);
#endif
    }

    static constexpr const char *Names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::optional<std::string> FSaved[3];
};

} // namespace trovel::testing
