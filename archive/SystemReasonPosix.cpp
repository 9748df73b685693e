#include "ArcErrors.h"

#include <cstring>
#include <type_traits>

namespace trovel {

std::string SystemReason(int ErrorNumber)
{
    // strerror_r in either of its two forms; the buffer is used only by the
    // XSI one.
    char buffer[256] = {};
    const auto result = ::strerror_r(ErrorNumber, buffer, sizeof buffer);
    if constexpr (std::is_same_v<std::remove_const_t<decltype(result)>, char *>)
        return result;
    else
        return buffer;
}

} // namespace trovel
