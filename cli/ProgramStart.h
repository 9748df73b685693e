#pragma once

#include <string>
#include <vector>

namespace trovel {

// Readies the standard streams for the program's output and returns the
// arguments after the program's name. One file per platform
// (ProgramStartPosix.cpp, ProgramStartWin.cpp): POSIX passes the bytes on;
// Windows gives the arguments as UTF-8, the engine's paths there, and has its
// console show UTF-8 text and terminal escapes.
std::vector<std::string> StartProgram(int ArgumentCount, char **Arguments);

} // namespace trovel
