#pragma once

#include "ArchiveBuilder.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <set>
#include <string>

// Helpers shared by the engine's tests.
namespace trovel::testing {

namespace fs = std::filesystem;

// A fresh private folder, removed with everything in it when the test ends.
class TempDir final
{
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "trovel-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(FPath, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const fs::path &path() const { return FPath; }
    std::string operator/(const std::string &name) const { return (FPath / name).string(); }

private:
    fs::path FPath;
};

inline std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Every file and folder below root, as relative paths; folders end in "/".
inline std::set<std::string> treeOf(const fs::path &root)
{
    std::set<std::string> tree;
    if (!fs::exists(root))
        return tree;
    for (const auto &item : fs::recursive_directory_iterator(root)) {
        std::string relative = item.path().lexically_relative(root).string();
        if (item.is_directory())
            relative += '/';
        tree.insert(relative);
    }
    return tree;
}

// Pins the locale the engine reads for as long as the object lives: LC_ALL,
// LC_CTYPE and LANG are set as given (empty: unset) and restored afterwards.
class LocaleEnvironment final
{
public:
    explicit LocaleEnvironment(const std::string &lcAll, const std::string &lcCtype = "",
                               const std::string &lang = "")
    {
        const std::string values[] = {lcAll, lcCtype, lang};
        for (int i = 0; i < 3; ++i) {
            if (const char *old = std::getenv(Names[i]))
                FSaved[i] = old;
            set(Names[i], values[i]);
        }
    }
    ~LocaleEnvironment()
    {
        for (int i = 0; i < 3; ++i)
            set(Names[i], FSaved[i].value_or(""));
    }
    LocaleEnvironment(const LocaleEnvironment &) = delete;
    LocaleEnvironment &operator=(const LocaleEnvironment &) = delete;

private:
    static void set(const char *name, const std::string &value)
    {
        if (value.empty())
            ::unsetenv(name);
        else
            ::setenv(name, value.c_str(), 1);
    }

    static constexpr const char *Names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::optional<std::string> FSaved[3];
};

// A table row's label as a test name: "bad Adler-32" gives "bad_Adler_32".
struct LabelName
{
    template <typename Info>
    std::string operator()(const Info &info) const
    {
        std::string name = info.param.label;
        for (char &c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    }
};

// Runs action and checks that it raises exactly Error with the given message.
template <typename Error>
void expectError(const std::function<void()> &action, const std::string &message)
{
    try {
        action();
        ADD_FAILURE() << "no error raised, expected: " << message;
    } catch (const Error &e) {
        EXPECT_EQ(e.Message(), message);
    } catch (const std::exception &e) {
        ADD_FAILURE() << "wrong error kind: " << e.what() << ", expected: " << message;
    }
}

} // namespace trovel::testing
