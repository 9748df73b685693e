// The command line: options anywhere after the command word, and usage errors.
#include "CliOptions.h"

#include <gtest/gtest.h>

using namespace trovel;

TEST(CliOptions, optionsStandAnywhereAfterTheCommand)
{
    struct TCase
    {
        std::vector<std::string> Args;
        std::vector<std::string> Operands;
        const char *CodePage;
        bool NoSpaceCheck;
    };
    const TCase cases[] = {
        {{"list", "a.arc", "--codepage", "1252", "*.tex"}, {"a.arc", "*.tex"}, "1252", false},
        {{"list", "--codepage=raw", "a.arc"}, {"a.arc"}, "raw", false},
        {{"extract-all", "a", "--no-space-check", "d", "--", "-x", "--codepage=1"},
         {"a", "d", "-x", "--codepage=1"},
         nullptr,
         true},
        {{"extract", "a", "-1", "-"}, {"a", "-1", "-"}, nullptr, false},
        {{"test", "--no-space-check", "a"}, {"a"}, nullptr, true},
        {{"extract", "a", "0", "o", "--no-space-check"}, {"a", "0", "o"}, nullptr, true},
    };
    for (const TCase &c : cases) {
        const TCliOptions options = ParseCommandLine(c.Args);
        EXPECT_EQ(options.Operands, c.Operands) << c.Args[1];
        EXPECT_EQ(options.Codec, c.CodePage ? TNameCodec::FromName(c.CodePage) : std::nullopt);
        EXPECT_EQ(options.NoSpaceCheck, c.NoSpaceCheck);
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
        {"list", "a", "-j", "2"},
        {"extract", "a", "0", "o", "--jobs=2"},
        {"test", "a", "-j", "0"},
        {"test", "a", "-j", "1025"},
        {"test", "a", "--jobs=two"},
        {"test", "a", "-j=2"},
        {"test", "a", "-j"},
    };
    const TCliOptions many = ParseCommandLine(
        {"list", "-il", "a", "--exclude", "x", "--exclude=y", "-q", "p", "--", "-v"});
    EXPECT_EQ(many.Operands, (std::vector<std::string>{"a", "p", "-v"}));
    EXPECT_EQ(many.Excludes, (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(many.IgnoreCase && many.Long);
    EXPECT_EQ(many.Verbosity, TVerbosity::Quiet);
    const TCliOptions all = ParseCommandLine({"extract-all", "a", "d", "--skip-old-files", "-vi"});
    EXPECT_TRUE(all.SkipOldFiles && all.IgnoreCase);
    EXPECT_EQ(all.Verbosity, TVerbosity::Verbose);

    for (const auto &args : wrong)
        EXPECT_THROW(ParseCommandLine(args), TUsageError) << args[0] << " " << args.back();
}

TEST(CliOptions, jobsCountThreads)
{
    EXPECT_EQ(ParseCommandLine({"test", "a"}).Jobs, std::nullopt);
    EXPECT_EQ(ParseCommandLine({"test", "-j", "3", "a"}).Jobs, 3u);
    EXPECT_EQ(ParseCommandLine({"extract-all", "a", "d", "--jobs=1024"}).Jobs, 1024u);
    EXPECT_EQ(ParseCommandLine({"extract-all", "a", "--jobs", "1", "d"}).Operands,
              (std::vector<std::string>{"a", "d"}));
}
