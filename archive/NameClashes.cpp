#include "NameClashes.h"

#include <limits>

namespace trovel {

namespace {

constexpr std::size_t NoOther = std::numeric_limits<std::size_t>::max();

} // namespace

bool TNameClashes::Note(std::size_t Position, std::string_view Stored, const std::string &Path)
{
    if (!FActive)
        return false;
    const auto [at, added] = FPaths.try_emplace(Path, TFirst{Stored, NoOther});
    if (added)
        return false;
    TFirst &first = at->second;
    if (first.OtherAt == NoOther && Stored != first.Stored)
        first.OtherAt = Position;
    return Stored != first.Stored || first.OtherAt < Position;
}

bool TNameClashes::ClashesBefore(std::size_t Position, std::string_view Stored,
                                 const std::string &Path) const
{
    const auto at = FPaths.find(Path);
    if (at == FPaths.end())
        return false;
    return Stored != at->second.Stored || at->second.OtherAt < Position;
}

} // namespace trovel
