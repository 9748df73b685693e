#include "Collation.h"

#include "ArcErrors.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <cstring>

namespace trovel {

namespace {

bool CountsForLess(QChar Character)
{
    return Character == u'-' || Character == u'\'';
}

std::string IcuLocaleId(const QLocale &Locale)
{
    if (Locale.language() == QLocale::C)
        return {};
    return Locale.name().toStdString();
}

} // namespace

void TCollator::TCloser::operator()(UCollator *Collator) const
{
    ucol_close(Collator);
}

TCollator::TCollator(const QLocale &Locale) : FLocaleId(IcuLocaleId(Locale))
{
    UErrorCode status = U_ZERO_ERROR;
    FCollator.reset(ucol_open(FLocaleId.c_str(), &status));
    if (U_FAILURE(status) || !FCollator) {
        // A locale ICU does not know falls back to the neutral order; only a
        // missing ICU data set ends here.
        status = U_ZERO_ERROR;
        FLocaleId.clear();
        FCollator.reset(ucol_open("", &status));
        if (U_FAILURE(status) || !FCollator)
            throw EOutOfMemory();
    }
}

TCollator TCollator::ForSystem()
{
    return TCollator(QLocale(QLocale::system().collation()));
}

TCollator::TCollator(TCollator &&) noexcept = default;
TCollator &TCollator::operator=(TCollator &&) noexcept = default;
TCollator::~TCollator() = default;

// The key is the collation key of the name without hyphens and apostrophes,
// followed by the key of the whole name. ICU keys end in their only 0 byte, so
// the byte order of the joined keys is: first the names without hyphens and
// apostrophes, and only between names equal there, the whole names.
void TCollator::AppendSortKey(QStringView Text, std::string &Keys) const
{
    auto append = [&](QStringView Part) {
        const auto *characters = reinterpret_cast<const UChar *>(Part.data());
        const auto length = static_cast<int32_t>(Part.size());
        const std::size_t start = Keys.size();
        std::size_t room = std::max<std::size_t>(64, 4 * Part.size() + 16);
        for (;;) {
            Keys.resize(start + room);
            const int32_t needed = ucol_getSortKey(FCollator.get(), characters, length,
                                                   reinterpret_cast<uint8_t *>(Keys.data() + start),
                                                   static_cast<int32_t>(room));
            if (needed <= 0)
                throw EOutOfMemory();
            if (static_cast<std::size_t>(needed) <= room) {
                Keys.resize(start + static_cast<std::size_t>(needed));
                return;
            }
            room = static_cast<std::size_t>(needed);
        }
    };

    if (std::none_of(Text.begin(), Text.end(), CountsForLess)) {
        const std::size_t start = Keys.size();
        append(Text);
        const std::size_t length = Keys.size() - start;
        Keys.resize(start + 2 * length);
        std::memcpy(Keys.data() + start + length, Keys.data() + start, length);
        return;
    }
    QString stripped;
    stripped.reserve(Text.size());
    for (QChar character : Text) {
        if (!CountsForLess(character))
            stripped.append(character);
    }
    append(stripped);
    append(Text);
}

std::string TCollator::SortKey(QStringView Text) const
{
    std::string key;
    AppendSortKey(Text, key);
    return key;
}

int TCollator::Compare(QStringView Left, QStringView Right) const
{
    return SortKey(Left).compare(SortKey(Right));
}

} // namespace trovel
