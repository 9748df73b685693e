# Cross-compiles for 64-bit Windows with Debian's mingw-w64 compilers. The
# -posix variants carry std::thread and std::mutex on winpthreads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TROVEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TROVEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TROVEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TROVEL_MINGW_TRIPLE}-windres)

# Headers, libraries and packages come from the mingw tree only; programs
# (moc, uic, the compilers) from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TROVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross-built test programs run under wine.
find_program(TROVEL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TROVEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TROVEL_WINE})
endif()

# pkg-config finds the mingw tree's libraries, never the host's (ISA-L has no
# mingw build in Debian, so the engine inflates with zlib there).
set(ENV{PKG_CONFIG_LIBDIR} /usr/${TROVEL_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
