// Decoding stored entry names, and the code page of the user's locale.
#include "NameCodec.h"
#include "ArchiveTesting.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace trovel;
using namespace trovel::testing;

namespace {

struct TDecoding
{
    const char *Label;
    const char *Codec;
    std::string Stored;
    std::string Text;
    friend void PrintTo(const TDecoding &D, std::ostream *Out) { *Out << D.Label; }
};

class TNameDecoding : public ::testing::TestWithParam<TDecoding>
{
};

const TDecoding Decodings[] = {
    {"1252", "1252", "Gel\xe4nde/Stra\337e.tex", "Gelände/Straße.tex"},
    {"1251", "1251", "\xcf\xf0\xe8", "При"},
    {"1252 undefined byte", "1252", "\x81\x8d\x90", "\u0081\u008d\u0090"},
    {"1253 undefined byte above the C1 range", "1253", "\xaa\xc1", "\u00aa\u0391"},
    {"1255 points stay apart", "1255", "\xe0\xc8", "\u05d0\u05b8"},
    {"932 pairs", "932", "\x93\xfa\x96\x7b/\x82\xa0", "日本/あ"},
    {"932 single-byte katakana", "932", "\xb1", "ｱ"},
    {"932 broken pair leaves the ASCII after it", "932", "\x81/\x81", "\uFFFD/\uFFFD"},
    {"936 broken pair is one character", "936", "\x81\377a", "\uFFFDa"},
    {"950", "950", "\xa4\xa4", "中"},
    {"UTF-8 kept", "utf-8", "Stra\xc3\237e", "Straße"},
    {"UTF-8 ill-formed", "utf8", "a\xe0\x80z\xc3", "a\uFFFD\uFFFDz\uFFFD"},
    {"raw", "raw", "caf\xe9/x", "caf\xe9/x"},
};

} // namespace

TEST_P(TNameDecoding, givesTheText)
{
    const TDecoding &d = GetParam();
    const std::optional<TNameCodec> codec = TNameCodec::FromName(d.Codec);
    ASSERT_TRUE(codec);
#if !__has_include(<iconv.h>)
    if (codec->CodePage() != 0)
        GTEST_SKIP() << "the code page tables come from iconv, which this C library lacks";
#endif
    EXPECT_EQ(codec->ToText(d.Stored), d.Text);
    EXPECT_EQ(codec->ToPathText(d.Stored), d.Text);
}

INSTANTIATE_TEST_SUITE_P(NameCodec, TNameDecoding, ::testing::ValuesIn(Decodings), TLabelName());

namespace {

struct TLocaleCase
{
    const char *Label;
    const char *LcAll, *LcCtype, *Lang;
    int CodePage;
    friend void PrintTo(const TLocaleCase &C, std::ostream *Out) { *Out << C.Label; }
};

class TSystemCodePageOf : public ::testing::TestWithParam<TLocaleCase>
{
};

const TLocaleCase LocaleCases[] = {
    {"Russian", "", "", "ru_RU.UTF-8", 1251},
    {"German", "", "", "de_DE.UTF-8", 1252},
    {"no locale set", "", "", "", 1252},
    {"C overrides LANG", "C", "", "ru_RU.UTF-8", 1252},
    {"LC_CTYPE overrides LANG", "", "ja_JP.UTF-8", "ru_RU", 932},
    {"Chinese of Taiwan", "zh_TW.UTF-8", "", "", 950},
    {"Chinese of China", "zh_CN.GB18030", "", "", 936},
    {"Serbian in Latin script", "sr_RS@latin", "", "", 1250},
};

} // namespace

TEST_P(TSystemCodePageOf, followsTheLocaleTheCLibraryReads)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows reports its ANSI code page itself";
#else
    const TLocaleCase &c = GetParam();
    TLocaleEnvironment pinned(c.LcAll, c.LcCtype, c.Lang);
    EXPECT_EQ(SystemCodePage(), c.CodePage)
        << "LC_ALL=" << c.LcAll << " LC_CTYPE=" << c.LcCtype << " LANG=" << c.Lang;
#endif
}

#ifdef _WIN32
TEST(NameCodec, systemCodePageIsTheAnsiPageWindowsReports)
{
    const int page = static_cast<int>(::GetACP());
    EXPECT_EQ(SystemCodePage(), TNameCodec::IsCodePage(page) ? page : 1252);
    EXPECT_TRUE(TNameCodec::IsCodePage(SystemCodePage()));
}
#endif

INSTANTIATE_TEST_SUITE_P(NameCodec, TSystemCodePageOf, ::testing::ValuesIn(LocaleCases),
                         TLabelName());
