#include "ArcErrors.h"

#include <cstring>

namespace trovel {

std::string SystemReason(int ErrorNumber)
{
    char buffer[256] = {};
    if (::strerror_s(buffer, sizeof buffer, ErrorNumber) != 0)
        return "error " + std::to_string(ErrorNumber);
    return buffer;
}

} // namespace trovel
