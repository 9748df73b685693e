# A Windows build made with mingw-w64 on Linux: every program in bin/, beside
# the compiler's runtime DLLs and zlib's, so that wine (and Windows) finds
# them without a search path.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# Unicode entry points and the Windows 10 interfaces of the SDK headers.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

set(TROVEL_WINDOWS_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll zlib1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${dll} not found (libz-mingw-w64-dev and g++-mingw-w64-x86-64-posix have them)")
    endif()
    get_filename_component(path "${path}" REALPATH)
    list(APPEND TROVEL_WINDOWS_RUNTIME_DLLS "${path}")
endforeach()
file(COPY ${TROVEL_WINDOWS_RUNTIME_DLLS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

# GoogleTest from the sources libgtest-dev ships: its Linux libraries do not
# link into Windows programs.
set(TROVEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
