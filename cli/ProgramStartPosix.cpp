#include "ProgramStart.h"

#include <clocale>

namespace trovel {

std::vector<std::string> StartProgram(int ArgumentCount, char **Arguments)
{
    // For the terminal's character set and widths when names are shown on
    // it; names and paths pass through as bytes everywhere else.
    std::setlocale(LC_CTYPE, "");
    return std::vector<std::string>(Arguments + 1, Arguments + ArgumentCount);
}

} // namespace trovel
