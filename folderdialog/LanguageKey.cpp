#include "LanguageKey.h"

#include <array>
#include <cstdint>

namespace trovel {

namespace {

struct TLanguageId
{
    QLocale::Language Language;
    QLocale::Territory Territory;
    std::uint16_t Id;
};

constexpr std::array<TLanguageId, 28> LanguageIds{{
    {QLocale::Danish, QLocale::Denmark, 0x0406},
    {QLocale::German, QLocale::Germany, 0x0407},
    {QLocale::German, QLocale::Switzerland, 0x0807},
    {QLocale::German, QLocale::Austria, 0x0C07},
    {QLocale::German, QLocale::Luxembourg, 0x1007},
    {QLocale::German, QLocale::Liechtenstein, 0x1407},
    {QLocale::English, QLocale::UnitedStates, 0x0409},
    {QLocale::English, QLocale::UnitedKingdom, 0x0809},
    {QLocale::English, QLocale::Australia, 0x0C09},
    {QLocale::English, QLocale::Canada, 0x1009},
    {QLocale::English, QLocale::NewZealand, 0x1409},
    {QLocale::English, QLocale::Ireland, 0x1809},
    {QLocale::English, QLocale::SouthAfrica, 0x1C09},
    {QLocale::English, QLocale::Jamaica, 0x2009},
    {QLocale::English, QLocale::Belize, 0x2809},
    {QLocale::English, QLocale::TrinidadAndTobago, 0x2C09},
    {QLocale::French, QLocale::France, 0x040C},
    {QLocale::French, QLocale::Belgium, 0x080C},
    {QLocale::French, QLocale::Canada, 0x0C0C},
    {QLocale::French, QLocale::Switzerland, 0x100C},
    {QLocale::French, QLocale::Luxembourg, 0x140C},
    {QLocale::French, QLocale::Monaco, 0x180C},
    {QLocale::Italian, QLocale::Italy, 0x0410},
    {QLocale::Italian, QLocale::Switzerland, 0x0810},
    {QLocale::Dutch, QLocale::Netherlands, 0x0413},
    {QLocale::Polish, QLocale::Poland, 0x0415},
    {QLocale::Portuguese, QLocale::Brazil, 0x0416},
    {QLocale::Russian, QLocale::Russia, 0x0419},
}};

} // namespace

QString LanguageKeyOf(const QLocale &Locale)
{
    std::uint16_t id = 0;
    for (const TLanguageId &entry : LanguageIds) {
        if (entry.Language == Locale.language() && entry.Territory == Locale.territory()) {
            id = entry.Id;
            break;
        }
    }
    return QStringLiteral("%1").arg(id, 4, 16, QChar(u'0')).toUpper();
}

} // namespace trovel
