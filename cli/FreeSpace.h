#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace trovel {

// The bytes an unprivileged writer may still put on the file system that
// Folder lies on, or, when Folder does not exist yet, on which its nearest
// existing ancestor lies. None when the system does not tell.
std::optional<std::uint64_t> FreeBytesFor(const std::string &Folder);

// A byte count for people: "192 GiB", "1.5 MiB", "512 bytes".
std::string HumanBytes(std::uint64_t Bytes);

} // namespace trovel
