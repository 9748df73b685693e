#pragma once

#include <QLocale>
#include <QStringView>

#include <memory>
#include <string>

struct UCollator;

namespace trovel {

// Orders file names the way the desktop's own file lists do: letters without
// regard to case first, lower case before upper case between names that differ
// only in case, digits as characters, and hyphens and apostrophes counting for
// less than anything else, so "co-op" stands next to "coop". Other punctuation
// keeps its place before digits and letters ("file.txt" before "file2.txt").
//
// Names are compared through sort keys: byte strings whose plain byte order
// (memcmp) is the collation order, made once per name and compared many times.
// The keys come from ICU (Collation.cpp) or, on Windows, from the system's own
// comparison, the one lstrcmp makes (CollationWin.cpp).
class TCollator final
{
public:
    // The C and POSIX locales have no collation of their own; they get the
    // neutral linguistic order instead of byte order.
    explicit TCollator(const QLocale &Locale);
    // The collation locale of the user's environment.
    static TCollator ForSystem();

    TCollator(TCollator &&) noexcept;
    TCollator &operator=(TCollator &&) noexcept;
    ~TCollator();

    // Appends the sort key of Text to Keys.
    void AppendSortKey(QStringView Text, std::string &Keys) const;
    std::string SortKey(QStringView Text) const;
    // Negative, zero or positive, as the sort keys compare.
    int Compare(QStringView Left, QStringView Right) const;

    // The locale the collator uses (ICU's, or Windows' name of it); empty for
    // the neutral order.
    const std::string &LocaleId() const { return FLocaleId; }

private:
    struct TCloser
    {
        void operator()(UCollator *Collator) const;
    };
    std::unique_ptr<UCollator, TCloser> FCollator; // ICU's; none on Windows
    std::string FLocaleId;
};

} // namespace trovel
