#include "EntryPattern.h"

#include "CaseFolding.h"

#include <cwctype>

namespace trovel {

namespace {

// A byte that begins no valid UTF-8 sequence decodes above every code point.
constexpr char32_t InvalidBase = 0x110000;

struct TChar
{
    char32_t Code;
    std::size_t Length;
};

bool IsContinuation(unsigned char Byte, unsigned char Low = 0x80, unsigned char High = 0xBF)
{
    return Byte >= Low && Byte <= High;
}

// The character at Text[At]; At must lie inside Text.
TChar DecodeAt(std::string_view Text, std::size_t At)
{
    const auto byteAt = [&](std::size_t I) -> unsigned char {
        return At + I < Text.size() ? static_cast<unsigned char>(Text[At + I]) : 0;
    };
    const unsigned char lead = byteAt(0);
    if (lead < 0x80)
        return {lead, 1};
    const TChar invalid{InvalidBase + lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (!IsContinuation(byteAt(1)))
            return invalid;
        return {char32_t(lead & 0x1F) << 6 | (byteAt(1) & 0x3F), 2};
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        // No overlong forms, no surrogates.
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        if (!IsContinuation(byteAt(1), low, high) || !IsContinuation(byteAt(2)))
            return invalid;
        return {char32_t(lead & 0x0F) << 12 | char32_t(byteAt(1) & 0x3F) << 6 | (byteAt(2) & 0x3F),
                3};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        if (!IsContinuation(byteAt(1), low, high) || !IsContinuation(byteAt(2)) ||
            !IsContinuation(byteAt(3)))
            return invalid;
        return {char32_t(lead & 0x07) << 18 | char32_t(byteAt(1) & 0x3F) << 12 |
                    char32_t(byteAt(2) & 0x3F) << 6 | (byteAt(3) & 0x3F),
                4};
    }
    return invalid;
}

// A literal character of the pattern at At, with its backslash if it has one.
TChar LiteralAt(std::string_view Pattern, std::size_t At)
{
    if (Pattern[At] == '\\' && At + 1 < Pattern.size()) {
        const TChar escaped = DecodeAt(Pattern, At + 1);
        return {escaped.Code, escaped.Length + 1};
    }
    return DecodeAt(Pattern, At);
}

// Walks the set that opens at Pattern[At] == '['. Returns the position after
// its closing "]", or npos when the set is not complete; with Code given, also
// tells whether the set holds that character.
std::size_t WalkSet(std::string_view Pattern, std::size_t At, const TChar *Code, bool &Holds)
{
    std::size_t at = At + 1;
    bool negated = false;
    if (at < Pattern.size() && (Pattern[at] == '!' || Pattern[at] == '^')) {
        negated = true;
        ++at;
    }
    bool found = false;
    bool first = true; // a "]" right after the opening is a member
    while (at < Pattern.size()) {
        if (Pattern[at] == ']' && !first) {
            Holds = found != negated;
            return at + 1;
        }
        first = false;
        if (Pattern.substr(at, 2) == "[:") {
            const std::size_t close = Pattern.find(":]", at + 2);
            if (close != std::string_view::npos) {
                const std::string name(Pattern.substr(at + 2, close - at - 2));
                const std::wctype_t type = std::wctype(name.c_str());
                if (Code && type != 0 && Code->Code < InvalidBase &&
                    std::iswctype(static_cast<wint_t>(Code->Code), type))
                    found = true;
                at = close + 2;
                continue;
            }
        }
        const TChar low = LiteralAt(Pattern, at);
        at += low.Length;
        TChar high = low;
        if (at + 1 < Pattern.size() && Pattern[at] == '-' && Pattern[at + 1] != ']') {
            high = LiteralAt(Pattern, at + 1);
            at += 1 + high.Length;
        }
        if (Code && Code->Code >= low.Code && Code->Code <= high.Code)
            found = true;
    }
    return std::string_view::npos;
}

} // namespace

TWildcard::TWildcard(std::string_view Pattern)
{
    const auto add = [this](TToken::TKind Kind) -> TToken & {
        return FTokens.emplace_back(TToken{Kind, {}, 0});
    };
    std::size_t at = 0;
    while (at < Pattern.size()) {
        const char c = Pattern[at];
        if (c == '*') {
            if (FTokens.empty() || FTokens.back().Kind != TToken::Star)
                add(TToken::Star);
            ++at;
            continue;
        }
        if (c == '?') {
            add(TToken::AnyChar);
            ++at;
            continue;
        }
        if (c == '[') {
            bool holds = false;
            const std::size_t end = WalkSet(Pattern, at, nullptr, holds);
            if (end != std::string_view::npos) {
                add(TToken::Set).Text = Pattern.substr(at, end - at);
                at = end;
                continue;
            }
        }
        const std::size_t start = c == '\\' && at + 1 < Pattern.size() ? at + 1 : at;
        const TChar literal = DecodeAt(Pattern, start);
        if (literal.Code >= InvalidBase) {
            add(TToken::Invalid).Code = literal.Code;
        } else {
            if (FTokens.empty() || FTokens.back().Kind != TToken::Literal)
                add(TToken::Literal);
            FTokens.back().Text.append(Pattern.substr(start, literal.Length));
        }
        at = start + literal.Length;
    }
}

bool TWildcard::Matches(std::string_view Text) const
{
    // A "*" matches any run, so only the latest one needs to be retried: on a
    // mismatch it takes one more character and matching resumes after it. A
    // literal after it is looked for directly: it begins with no continuation
    // byte, so wherever it is found a character begins.
    const auto skipToLiteral = [&](std::size_t Token, std::size_t From) {
        if (Token < FTokens.size() && FTokens[Token].Kind == TToken::Literal)
            return Text.find(FTokens[Token].Text, From);
        return From;
    };
    std::size_t token = 0, t = 0;
    std::size_t starToken = std::string_view::npos, starText = 0;
    for (;;) {
        bool matched = false;
        if (token == FTokens.size()) {
            if (t == Text.size())
                return true;
        } else {
            const TToken &item = FTokens[token];
            if (item.Kind == TToken::Star) {
                if (++token == FTokens.size())
                    return true; // a trailing "*" takes the rest
                starToken = token;
                starText = t = skipToLiteral(token, t);
                if (t == std::string_view::npos)
                    return false;
                continue;
            }
            if (item.Kind == TToken::Literal) {
                matched = Text.compare(t, item.Text.size(), item.Text) == 0;
                if (matched)
                    t += item.Text.size();
            } else if (t < Text.size()) {
                const TChar c = DecodeAt(Text, t);
                bool holds = item.Kind == TToken::AnyChar;
                if (item.Kind == TToken::Invalid)
                    holds = c.Code == item.Code;
                else if (item.Kind == TToken::Set)
                    WalkSet(item.Text, 0, &c, holds);
                matched = holds;
                if (matched)
                    t += c.Length;
            }
        }
        if (matched) {
            ++token;
            continue;
        }
        if (starToken == std::string_view::npos || starText >= Text.size())
            return false;
        starText = skipToLiteral(starToken, starText + DecodeAt(Text, starText).Length);
        if (starText == std::string_view::npos)
            return false;
        t = starText;
        token = starToken;
    }
}

bool TWildcard::IsWildcard(std::string_view Pattern)
{
    for (std::size_t at = 0; at < Pattern.size(); ++at) {
        const char c = Pattern[at];
        bool holds = false;
        if (c == '*' || c == '?' ||
            (c == '[' && WalkSet(Pattern, at, nullptr, holds) != std::string_view::npos))
            return true;
    }
    return false;
}

TEntryPattern::TEntryPattern(std::string Text) : FText(std::move(Text)), FFolder(FText)
{
    if (TWildcard::IsWildcard(FText))
        FWildcard.emplace(FText);
    while (!FFolder.empty() && FFolder.back() == '/')
        FFolder.pop_back();
}

bool TEntryPattern::Matches(std::string_view Name) const
{
    if (FWildcard)
        return FWildcard->Matches(Name);
    if (Name == FText || Name == FFolder)
        return true;
    return !FFolder.empty() && Name.size() > FFolder.size() && Name.starts_with(FFolder) &&
           Name[FFolder.size()] == '/';
}

TEntrySelection::TEntrySelection(const std::vector<std::string> &Patterns,
                                 const std::vector<std::string> &Excludes, bool IgnoreCase)
    : FTexts(Patterns), FMatched(Patterns.size(), false), FIgnoreCase(IgnoreCase)
{
    const auto compared = [IgnoreCase](const std::string &Text) {
        return IgnoreCase ? Folded(Text) : Text;
    };
    FPatterns.reserve(Patterns.size());
    for (const std::string &pattern : Patterns)
        FPatterns.emplace_back(compared(pattern));
    FExcludes.reserve(Excludes.size());
    for (const std::string &pattern : Excludes)
        FExcludes.emplace_back(compared(pattern));
}

bool TEntrySelection::Choose(std::string_view Name)
{
    if (FIgnoreCase) {
        FFolded.clear();
        AppendFolded(Name, FFolded);
        Name = FFolded;
    }
    bool chosen = FPatterns.empty();
    for (std::size_t i = 0; i < FPatterns.size(); ++i) {
        if (chosen && FMatched[i])
            continue;
        if (FPatterns[i].Matches(Name)) {
            FMatched[i] = true;
            chosen = true;
        }
    }
    if (!chosen)
        return false;
    for (const TEntryPattern &exclude : FExcludes) {
        if (exclude.Matches(Name))
            return false;
    }
    return true;
}

std::vector<std::string> TEntrySelection::Unmatched() const
{
    std::vector<std::string> unmatched;
    for (std::size_t i = 0; i < FPatterns.size(); ++i) {
        if (!FMatched[i])
            unmatched.push_back(FTexts[i]);
    }
    return unmatched;
}

} // namespace trovel
