// The command line: options anywhere after the command word, and usage errors.
#include "CliOptions.h"

#include <gtest/gtest.h>

using namespace trovel;

TEST(CliOptions, optionsStandAnywhereAfterTheCommand)
{
    struct Case
    {
        std::vector<std::string> args;
        std::vector<std::string> operands;
        const char *codePage;
        bool noSpaceCheck;
    };
    const Case cases[] = {
        {{"list", "a.arc", "--codepage", "1252", "*.tex"}, {"a.arc", "*.tex"}, "1252", false},
        {{"list", "--codepage=raw", "a.arc"}, {"a.arc"}, "raw", false},
        {{"extract-all", "a", "--no-space-check", "d", "--", "-x", "--codepage=1"},
         {"a", "d", "-x", "--codepage=1"},
         nullptr,
         true},
        {{"extract", "a", "-1", "-"}, {"a", "-1", "-"}, nullptr, false},
    };
    for (const Case &c : cases) {
        const TCliOptions options = ParseCommandLine(c.args);
        EXPECT_EQ(options.Operands, c.operands) << c.args[1];
        EXPECT_EQ(options.Codec, c.codePage ? TNameCodec::FromName(c.codePage) : std::nullopt);
        EXPECT_EQ(options.NoSpaceCheck, c.noSpaceCheck);
    }

    const std::vector<std::vector<std::string>> wrong = {
        {"list", "a", "--codepage"},
        {"list", "a", "--codepage=850"},
        {"list", "a", "--no-space-check"},
        {"extract-all", "a", "d", "--no-space-check=yes"},
        {"extract-all", "a", ""},
        {"test", "a", "-x"},
        {"test", "a", "--codepages=1"},
        {"extract", "a", "0"},
        {"--version", "list"},
        {"list", "--help"},
    };
    for (const auto &args : wrong)
        EXPECT_THROW(ParseCommandLine(args), TUsageError) << args[0] << " " << args.back();
}
