#include "NameCodec.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#if __has_include(<iconv.h>)
#include <iconv.h>
#define TROVEL_HAVE_ICONV 1
#endif
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace trovel {

namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr std::uint64_t HighBits = 0x8080808080808080ull;

// Where the first byte above 0x7F lies, or the length when there is none.
std::size_t AsciiPrefix(std::string_view Text)
{
    const char *data = Text.data();
    const std::size_t size = Text.size();
    std::size_t at = 0;
    // Whole name tables pass through here: 64 bytes a step keep up with
    // memory.
    for (; at + 64 <= size; at += 64) {
        std::uint64_t words[8];
        std::memcpy(words, data + at, 64);
        if ((words[0] | words[1] | words[2] | words[3] | words[4] | words[5] | words[6] |
             words[7]) &
            HighBits)
            break;
    }
    for (; at + 8 <= size; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + at, 8);
        if (word & HighBits)
            break;
    }
    while (at < size && static_cast<unsigned char>(data[at]) < 0x80)
        ++at;
    return at;
}

void AppendUtf8(char32_t Code, std::string &Out)
{
    if (Code < 0x80) {
        Out += static_cast<char>(Code);
    } else if (Code < 0x800) {
        const char bytes[] = {static_cast<char>(0xC0 | (Code >> 6)),
                              static_cast<char>(0x80 | (Code & 0x3F))};
        Out.append(bytes, 2);
    } else if (Code < 0x10000) {
        const char bytes[] = {static_cast<char>(0xE0 | (Code >> 12)),
                              static_cast<char>(0x80 | ((Code >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (Code & 0x3F))};
        Out.append(bytes, 3);
    } else {
        const char bytes[] = {static_cast<char>(0xF0 | (Code >> 18)),
                              static_cast<char>(0x80 | ((Code >> 12) & 0x3F)),
                              static_cast<char>(0x80 | ((Code >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (Code & 0x3F))};
        Out.append(bytes, 4);
    }
}

// The length of the well-formed UTF-8 sequence at the start of Text, or 0
// with Bad set to the length of its maximal ill-formed part (at least 1):
// that part becomes one U+FFFD, as Unicode recommends.
std::size_t SequenceAt(std::string_view Text, std::size_t &Bad)
{
    const auto lead = static_cast<unsigned char>(Text[0]);
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2 || lead > 0xF4) {
        Bad = 1;
        return 0;
    }
    const std::size_t trailing = lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    // The second byte's range excludes overlong forms, surrogates and code
    // points beyond U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
    for (std::size_t k = 1; k <= trailing; ++k) {
        if (k >= Text.size()) {
            Bad = k;
            return 0;
        }
        const auto byte = static_cast<unsigned char>(Text[k]);
        if (byte < low || byte > high) {
            Bad = k;
            return 0;
        }
        low = 0x80;
        high = 0xBF;
    }
    return trailing + 1;
}

// The length of the longest well-formed UTF-8 start of Text.
std::size_t Utf8Prefix(std::string_view Text)
{
    std::size_t at = 0;
    while (at < Text.size()) {
        at += AsciiPrefix(Text.substr(at));
        if (at == Text.size())
            break;
        std::size_t bad = 0;
        const std::size_t length = SequenceAt(Text.substr(at), bad);
        if (length == 0)
            break;
        at += length;
    }
    return at;
}

void AppendUtf8Text(std::string_view Stored, std::string &Out)
{
    while (!Stored.empty()) {
        const std::size_t good = Utf8Prefix(Stored);
        Out.append(Stored.data(), good);
        Stored.remove_prefix(good);
        if (Stored.empty())
            break;
        std::size_t bad = 1;
        SequenceAt(Stored, bad);
        AppendUtf8(Replacement, Out);
        Stored.remove_prefix(bad);
    }
}

#ifdef TROVEL_HAVE_ICONV
// One conversion descriptor of the C library, from a code page to UTF-32LE.
class TIconv final
{
public:
    explicit TIconv(const std::string &From) : FHandle(::iconv_open("UTF-32LE", From.c_str())) {}
    ~TIconv()
    {
        if (IsOpen())
            ::iconv_close(FHandle);
    }
    TIconv(const TIconv &) = delete;
    TIconv &operator=(const TIconv &) = delete;

    bool IsOpen() const { return FHandle != reinterpret_cast<iconv_t>(-1); }

    enum class TResult
    {
        Decoded,
        Incomplete,
        Undefined
    };

    // Decodes Bytes as exactly one character. Each call starts afresh, and
    // what a converter holds back to combine with a following character is
    // flushed out, so every byte or pair gets its own character.
    TResult DecodeOne(const char *Bytes, std::size_t Length, char32_t &Code)
    {
        ::iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        char input[2];
        std::memcpy(input, Bytes, Length);
        char output[16];
        char *in = input;
        std::size_t inLeft = Length;
        char *out = output;
        std::size_t outLeft = sizeof output;
        if (::iconv(FHandle, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
            return errno == EINVAL ? TResult::Incomplete : TResult::Undefined;
        if (::iconv(FHandle, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1))
            return TResult::Undefined;
        if (inLeft != 0 || out - output != 4)
            return TResult::Undefined;
        const auto *bytes = reinterpret_cast<const unsigned char *>(output);
        Code = char32_t{bytes[0]} | char32_t{bytes[1]} << 8 | char32_t{bytes[2]} << 16 |
               char32_t{bytes[3]} << 24;
        return TResult::Decoded;
    }

private:
    iconv_t FHandle;
};
#else
// A C library without converters (mingw's): no page can be read, so every
// byte above 0x7F of a code page counts as undefined.
class TIconv final
{
public:
    explicit TIconv(const std::string &) {}
    bool IsOpen() const { return false; }

    enum class TResult
    {
        Decoded,
        Incomplete,
        Undefined
    };

    TResult DecodeOne(const char *, std::size_t, char32_t &) { return TResult::Undefined; }
};
#endif

// Bytes above 0x7F never decode to ASCII or to nothing, so a name's
// separators and dot components stay what they are.
bool Usable(char32_t Code)
{
    return Code >= 0x80 && Code <= 0x10FFFF && (Code < 0xD800 || Code > 0xDFFF);
}

constexpr std::array<int, 14> CodePages = {874,  932,  936,  949,  950,  1250, 1251,
                                           1252, 1253, 1254, 1255, 1256, 1257, 1258};

} // namespace

// The decoding of one code page, read once from the C library's converter.
// The C library rejects the bytes a page leaves undefined; they decode here
// as Windows decodes them. Without a converter for the page every byte above
// 0x7F counts as undefined.
class TCodePageTable final
{
public:
    explicit TCodePageTable(int CodePage) : FCodePage(CodePage)
    {
        TIconv converter("CP" + std::to_string(CodePage));
        bool doubleByte = false;
        std::array<bool, 128> undefined{};
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const char single = static_cast<char>(byte);
            char32_t code = 0;
            TIconv::TResult result = TIconv::TResult::Undefined;
            if (converter.IsOpen())
                result = converter.DecodeOne(&single, 1, code);
            TSingle &entry = FSingle[byte - 0x80];
            if (result == TIconv::TResult::Incomplete) {
                entry.Lead = true;
                doubleByte = true;
                continue;
            }
            if (result != TIconv::TResult::Decoded || !Usable(code)) {
                undefined[byte - 0x80] = true;
                code = static_cast<char32_t>(byte);
            }
            std::string text;
            AppendUtf8(code, text);
            std::memcpy(entry.Bytes, text.data(), text.size());
            entry.Length = static_cast<unsigned char>(text.size());
        }
        if (!doubleByte)
            return;

        // In a double-byte page an undefined single byte is an invalid
        // sequence like any other.
        std::string replacement;
        AppendUtf8(Replacement, replacement);
        for (std::size_t i = 0; i < FSingle.size(); ++i) {
            if (undefined[i]) {
                std::memcpy(FSingle[i].Bytes, replacement.data(), replacement.size());
                FSingle[i].Length = static_cast<unsigned char>(replacement.size());
            }
        }
        FPairs.assign(128 * 256, 0);
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            if (!FSingle[lead - 0x80].Lead)
                continue;
            for (int trail = 0x01; trail <= 0xFF; ++trail) {
                const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
                char32_t code = 0;
                if (converter.DecodeOne(pair, 2, code) == TIconv::TResult::Decoded && Usable(code))
                    FPairs[(lead - 0x80) * 256 + trail] = code;
            }
        }
    }

    int CodePage() const { return FCodePage; }

    void Append(std::string_view Stored, std::string &Out) const
    {
        const auto *bytes = reinterpret_cast<const unsigned char *>(Stored.data());
        const std::size_t size = Stored.size();
        std::size_t at = 0;
        while (at < size) {
            const std::size_t ascii = AsciiPrefix(Stored.substr(at));
            Out.append(Stored.data() + at, ascii);
            at += ascii;
            if (at == size)
                break;
            const TSingle &entry = FSingle[bytes[at] - 0x80];
            if (!entry.Lead) {
                Out.append(entry.Bytes, entry.Length);
                ++at;
                continue;
            }
            // A pair that does not decode is one U+FFFD; an ASCII byte after
            // the lead is read again on its own, as a trail byte it does not
            // belong to the broken character.
            const unsigned trail = at + 1 < size ? bytes[at + 1] : 0;
            const char32_t code = trail != 0 ? FPairs[(bytes[at] - 0x80) * 256 + trail] : 0;
            AppendUtf8(code != 0 ? code : Replacement, Out);
            at += code != 0 || trail >= 0x80 ? 2 : 1;
        }
    }

private:
    struct TSingle
    {
        char Bytes[4] = {};
        unsigned char Length = 0;
        bool Lead = false;
    };

    int FCodePage;
    std::array<TSingle, 128> FSingle{};
    // Double-byte pages: the character of each lead and trail byte, by
    // (lead - 0x80) * 256 + trail; 0 where the pair does not decode.
    std::vector<char32_t> FPairs;
};

namespace {

// Tables are built once per code page and shared by every codec of it.
std::shared_ptr<const TCodePageTable> TableFor(int CodePage)
{
    static std::mutex lock;
    static std::map<int, std::shared_ptr<const TCodePageTable>> tables;
    const std::lock_guard guard(lock);
    std::shared_ptr<const TCodePageTable> &table = tables[CodePage];
    if (!table)
        table = std::make_shared<const TCodePageTable>(CodePage);
    return table;
}

bool EqualsIgnoringCase(std::string_view Text, std::string_view Lower)
{
    if (Text.size() != Lower.size())
        return false;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        char c = Text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != Lower[i])
            return false;
    }
    return true;
}

} // namespace

TNameCodec TNameCodec::Raw()
{
    return TNameCodec(TKind::Raw, nullptr);
}

TNameCodec TNameCodec::Utf8()
{
    return TNameCodec(TKind::Utf8, nullptr);
}

bool TNameCodec::IsCodePage(int CodePage)
{
    for (const int known : CodePages) {
        if (known == CodePage)
            return true;
    }
    return false;
}

TNameCodec TNameCodec::ForCodePage(int CodePage)
{
    if (!IsCodePage(CodePage))
        throw std::invalid_argument("code page " + std::to_string(CodePage) + " is not supported");
    return TNameCodec(TKind::CodePage, TableFor(CodePage));
}

std::optional<TNameCodec> TNameCodec::FromName(std::string_view Text)
{
    if (EqualsIgnoringCase(Text, "raw"))
        return Raw();
    if (EqualsIgnoringCase(Text, "utf-8") || EqualsIgnoringCase(Text, "utf8"))
        return Utf8();
    int number = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), number);
    if (Text.empty() || error != std::errc() || end != Text.data() + Text.size() ||
        !IsCodePage(number))
        return std::nullopt;
    return ForCodePage(number);
}

int TNameCodec::CodePage() const
{
    return FTable ? FTable->CodePage() : 0;
}

void TNameCodec::AppendText(std::string_view Stored, std::string &Out) const
{
    switch (FKind) {
    case TKind::Raw:
        Out.append(Stored);
        break;
    case TKind::Utf8:
        AppendUtf8Text(Stored, Out);
        break;
    case TKind::CodePage:
        FTable->Append(Stored, Out);
        break;
    }
}

std::string TNameCodec::ToText(std::string_view Stored) const
{
    if (FKind == TKind::Raw || AsciiPrefix(Stored) == Stored.size())
        return std::string(Stored);
    std::string text;
    text.reserve(Stored.size() * 2);
    AppendText(Stored, text);
    return text;
}

std::string TNameCodec::ToPathText(std::string_view Stored) const
{
    std::string text;
    text.reserve(Stored.size());
    for (;;) {
        const std::size_t slash = Stored.find('/');
        AppendText(Stored.substr(0, slash), text);
        if (slash == std::string_view::npos)
            return text;
        text += '/';
        Stored.remove_prefix(slash + 1);
    }
}

bool IsValidUtf8(std::string_view Text)
{
    return Utf8Prefix(Text) == Text.size();
}

bool IsAscii(std::string_view Text)
{
    return AsciiPrefix(Text) == Text.size();
}

} // namespace trovel
