// The ANSI code page the system reports. A system set to use UTF-8 for its
// ANSI calls (65001), or to a page that is no Windows ANSI page, gets the
// Western European one, as a locale without a page of its own does on Linux.
#include "NameCodec.h"

#include <windows.h>

namespace trovel {

int SystemCodePage()
{
    const int page = static_cast<int>(::GetACP());
    return TNameCodec::IsCodePage(page) ? page : 1252;
}

} // namespace trovel
