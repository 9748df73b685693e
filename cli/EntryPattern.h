#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trovel {

// A shell wildcard, matched against the whole text: "*" any run of
// characters and "?" any one character, "/" included; "[...]" one character
// of a set (ranges, "[:class:]", "!" or "^" to negate); a backslash takes the
// next character literally. Characters are UTF-8; a byte that begins no valid
// sequence is a character of its own that matches only itself. A "[" that
// opens no complete set is an ordinary character. The pattern is taken apart
// once, so that matching a million names costs little more than reading them.
class TWildcard final
{
public:
    explicit TWildcard(std::string_view Pattern);

    bool Matches(std::string_view Text) const;
    // Whether Pattern uses "*", "?" or a complete "[...]".
    static bool IsWildcard(std::string_view Pattern);

    struct TToken
    {
        enum TKind
        {
            Literal, // Text: valid UTF-8, compared byte for byte
            Invalid, // Code: one byte that begins no valid sequence
            AnyChar,
            Set, // Text: the set as written, brackets included
            Star
        };
        TKind Kind;
        std::string Text;
        char32_t Code = 0;
    };

private:
    std::vector<TToken> FTokens;
};

// One PATTERN of the command line. With a wildcard it is matched against the
// whole name; without one it names an entry, and as a folder every entry below
// it ("textures" and "textures/" alike). Matching is case-sensitive.
class TEntryPattern final
{
public:
    explicit TEntryPattern(std::string Text);

    bool Matches(std::string_view Name) const;
    const std::string &Text() const { return FText; }

private:
    std::string FText;
    std::optional<TWildcard> FWildcard;
    std::string FFolder; // without its trailing "/"
};

// The PATTERNs and --exclude patterns of one command: an entry is chosen when
// at least one PATTERN matches it (no PATTERN at all chooses every entry) and
// no exclusion does. With IgnoreCase, names and patterns are compared by their
// Unicode simple case folding.
class TEntrySelection final
{
public:
    explicit TEntrySelection(const std::vector<std::string> &Patterns,
                             const std::vector<std::string> &Excludes = {},
                             bool IgnoreCase = false);

    bool ChoosesAll() const { return FPatterns.empty() && FExcludes.empty(); }
    // Whether the entry of this name is chosen. Every pattern that matches is
    // remembered, also when an earlier one has chosen the entry already, and
    // also when an exclusion then leaves the entry out: the pattern did take
    // something.
    bool Choose(std::string_view Name);
    // The patterns that have not matched any entry so far, in command-line
    // order, as given.
    std::vector<std::string> Unmatched() const;

private:
    std::vector<TEntryPattern> FPatterns;
    std::vector<std::string> FTexts;
    std::vector<bool> FMatched;
    std::vector<TEntryPattern> FExcludes;
    bool FIgnoreCase;
    std::string FFolded; // the latest name, folded
};

} // namespace trovel
