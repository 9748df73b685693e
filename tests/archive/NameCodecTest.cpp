// Decoding stored entry names, and the code page of the user's locale.
#include "NameCodec.h"
#include "ArchiveTesting.h"
#include "CodePageDigests.h"

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
    // Whether no other stored bytes give the same text.
    bool Reversible = true;
    friend void PrintTo(const TDecoding &D, std::ostream *Out) { *Out << D.Label; }
};

class TNameDecoding : public ::testing::TestWithParam<TDecoding>
{
};

const TDecoding Decodings[] = {
    {"1252", "1252", "Gel\xe4nde/Stra\337e.tex", "Gelände/Straße.tex"},
    {"1251", "1251", "\xcf\xf0\xe8", "При"},
    {"1252 undefined byte", "1252", "\x81\x8d\x90", "\u0081\u008d\u0090"},
    {"1253 undefined bytes", "1253", "\x81\xaa\xd2\xff\xc1", "\u0081\uF8F9\uF8FA\uF8FB\u0391"},
    {"1255 points stay apart", "1255", "\xe0\xc8\xca", "\u05d0\u05b8\u05ba"},
    {"1255 undefined bytes", "1255", "\x9f\xd9\xdf\xfb\xfc\xff",
     "\u009f\uF88D\uF893\uF894\uF895\uF896"},
    {"1257 undefined bytes", "1257", "\x81\xa1\xa5", "\u0081\uF8FC\uF8FD"},
    {"874 undefined bytes", "874", "\x81\xdb\xde\xfc\xff\xa1", "\u0081\uF8C1\uF8C4\uF8C5\uF8C8ก"},
    {"932 pairs", "932", "\x93\xfa\x96\x7b/\x82\xa0", "日本/あ"},
    {"932 single bytes", "932", "\xb1\x80\xa0\xfd\xfe\xff", "ｱ\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},
    {"932 user-defined area", "932", "\xf0\x40\xf9\xfc", "\uE000\uE757"},
    {"932 broken pair leaves the ASCII after it", "932", "\x81/\x81", "\uFFFD/\uFFFD", false},
    {"932 character two pairs give", "932", "\xed\x40\xfa\x5c", "纊纊", false},
    {"936 single bytes", "936", "\x80\xff", "€\uF8F5"},
    {"936 user-defined areas", "936", "\xaa\xa1\xaf\xfe\xf8\xa1\xfe\xfe\xa1\x40\xa7\xa0",
     "\uE000\uE233\uE234\uE4C5\uE4C6\uE765"},
    {"936 private use at the row ends", "936",
     "\xa2\xab\xa8\x96\xa9\xfe\xd7\xfa\xd7\xfe\xfe\x50\xfe\x7e\xfe\x80\xfe\xa0",
     "\uE766\uE7BC\uE80F\uE810\uE814\uE815\uE843\uE844\uE864"},
    {"936 broken pair is one character", "936", "\x81\377a", "\uFFFDa", false},
    {"949 single bytes", "949", "\x80\xff", "\u0080\uF8F7"},
    {"949 user-defined rows", "949", "\xc9\xa1\xc9\xfe\xfe\xa1\xfe\xfe",
     "\uE000\uE05D\uE05E\uE0BB"},
    {"949 name split after a lead byte", "949", "\xc9\xa1\xb0\xa1", "\uE000가"},
    {"949 lead byte without its trail", "949", "\xc9\x41\xfe", "\uFFFDA\uFFFD", false},
    {"950", "950", "\xa4\xa4\xff", "中\uF8F8"},
    {"950 user-defined rows", "950",
     "\x81\x40\x81\xa1\x8d\xfe\x8e\x40\xa0\xfe\xfa\x40\xfe\xfe\xc6\xa1",
     "\uEEB8\uEEF7\uF6B0\uE311\uEEB7\uE000\uE310\uF6B1"},
    {"950 name split after a lead byte", "950",
     "\x81\x40"
     "A\xa4\xa4",
     "\uEEB8A中"},
    {"950 character two pairs give", "950", "\xa2\xcc", "十", false},
    {"UTF-8 kept", "utf-8", "Stra\xc3\237e", "Straße"},
    {"UTF-8 ill-formed", "utf8", "a\xe0\x80z\xc3", "a\uFFFD\uFFFDz\uFFFD", false},
    {"raw", "raw", "caf\xe9/x\xff", "caf\xe9/x\xff"},
};

} // namespace

TEST_P(TNameDecoding, givesTheText)
{
    const TDecoding &d = GetParam();
    const std::optional<TNameCodec> codec = TNameCodec::FromName(d.Codec);
    ASSERT_TRUE(codec);
    EXPECT_EQ(codec->ToText(d.Stored), d.Text);
    EXPECT_EQ(codec->ToPathText(d.Stored), d.Text);
    EXPECT_EQ(codec->IsReversible(d.Stored), d.Reversible);
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

// Every single byte and every pair of every code page against the digest
// the tables' generator wrote from its own reading of them.
TEST(CodePageTables, decodeEveryByteAndPairAsGenerated)
{
    ASSERT_EQ(std::size(CodePageDigests), 14u);
    for (const TCodePageDigest &expected : CodePageDigests) {
        const TNameCodec codec = TNameCodec::ForCodePage(expected.CodePage);
        std::uint64_t digest = 0xCBF29CE484222325ull;
        const auto add = [&](const std::string &Stored) {
            for (const unsigned char byte : codec.ToText(Stored) + '\xff')
                digest = (digest ^ byte) * 0x100000001B3ull;
        };
        for (int byte = 0x80; byte <= 0xFF; ++byte)
            add(std::string(1, static_cast<char>(byte)));
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (int trail = 0x00; trail <= 0xFF; ++trail)
                add({static_cast<char>(lead), static_cast<char>(trail)});
        }
        EXPECT_EQ(digest, expected.Digest) << "code page " << expected.CodePage;
    }
}
