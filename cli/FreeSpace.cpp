#include "FreeSpace.h"

#include <cstdio>
#include <filesystem>

namespace trovel {

namespace fs = std::filesystem;

std::optional<std::uint64_t> FreeBytesFor(const std::string &Folder)
{
    std::error_code error;
    // The engine's paths are UTF-8 on Windows and bytes elsewhere; a path
    // made from char8_t takes them as both.
    fs::path existing(
        std::u8string_view(reinterpret_cast<const char8_t *>(Folder.data()), Folder.size()));
    // A relative path runs out at "", which is the current folder.
    while (!existing.empty() && !fs::exists(existing, error)) {
        fs::path parent = existing.parent_path();
        if (parent == existing)
            break;
        existing = std::move(parent);
    }
    if (existing.empty())
        existing = ".";
    const fs::space_info space = fs::space(existing, error);
    if (error || space.available == static_cast<std::uintmax_t>(-1))
        return std::nullopt;
    return space.available;
}

std::string HumanBytes(std::uint64_t Bytes)
{
    constexpr const char *Units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (Bytes < 1024)
        return std::to_string(Bytes) + (Bytes == 1 ? " byte" : " bytes");
    double value = static_cast<double>(Bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 5) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    // Whole numbers stay whole; below 10 one decimal is worth showing.
    if (value < 10 && value != static_cast<double>(static_cast<std::uint64_t>(value)))
        std::snprintf(text, sizeof text, "%.1f %s", value, Units[unit]);
    else
        std::snprintf(text, sizeof text, "%.0f %s", value, Units[unit]);
    return text;
}

} // namespace trovel
