#pragma once

#include <fstream>
#include <string>

// The memory this process holds, for tests and benchmarks that bound it.
namespace trovel::testing {

// A field of /proc/self/status in KiB ("VmHWM", "VmRSS"); -1 when missing.
inline long StatusKib(const std::string &Field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(Field + ":"))
            return std::stol(line.substr(Field.size() + 1));
    }
    return -1;
}

// Starts the peak (VmHWM) again from the present resident size.
inline void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace trovel::testing
