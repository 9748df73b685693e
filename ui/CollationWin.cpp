// The list order on Windows: the system's own locale-aware comparison, the
// one lstrcmp makes (word sort, on the UTF-16 text), through its sort keys.
// Word sort already lets hyphens and apostrophes count for less.
#include "Collation.h"

#include "ArcErrors.h"

#include <windows.h>

namespace trovel {

namespace {

std::string WindowsLocaleName(const QLocale &Locale)
{
    if (Locale.language() == QLocale::C)
        return {};
    return Locale.bcp47Name().toStdString();
}

} // namespace

// No ICU collator on Windows.
void TCollator::TCloser::operator()(UCollator *) const {}

TCollator::TCollator(const QLocale &Locale) : FLocaleId(WindowsLocaleName(Locale))
{
    // A locale Windows does not know falls back to the neutral order.
    if (!FLocaleId.empty() &&
        !::IsValidLocaleName(QString::fromStdString(FLocaleId).toStdWString().c_str()))
        FLocaleId.clear();
}

TCollator TCollator::ForSystem()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) == 0)
        return TCollator(QLocale::c());
    return TCollator(QLocale(QString::fromWCharArray(name)));
}

TCollator::TCollator(TCollator &&) noexcept = default;
TCollator &TCollator::operator=(TCollator &&) noexcept = default;
TCollator::~TCollator() = default;

void TCollator::AppendSortKey(QStringView Text, std::string &Keys) const
{
    const std::wstring locale = QString::fromStdString(FLocaleId).toStdWString();
    const auto *characters = reinterpret_cast<const wchar_t *>(Text.utf16());
    const int length = static_cast<int>(Text.size());
    // The key's bytes, ending in a 0 byte of their own; an empty name has a
    // key too.
    const int needed = length == 0 ? 0
                                   : ::LCMapStringEx(locale.c_str(), LCMAP_SORTKEY, characters,
                                                     length, nullptr, 0, nullptr, nullptr, 0);
    if (length != 0 && needed <= 0)
        throw EOutOfMemory();
    const std::size_t start = Keys.size();
    Keys.resize(start + static_cast<std::size_t>(needed));
    if (needed > 0)
        ::LCMapStringEx(locale.c_str(), LCMAP_SORTKEY, characters, length,
                        reinterpret_cast<wchar_t *>(Keys.data() + start), needed, nullptr, nullptr,
                        0);
    // The bytes of the key are its order; the key ends in 0.
    if (needed == 0 || Keys.back() != '\0')
        Keys.push_back('\0');
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
