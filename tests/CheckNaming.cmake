# Runs clang-tidy's readability-identifier-naming, set up in the .clang-tidy
# files, over the sources of one folder as the compile database of the build
# lists them, and over the project's headers they include. Any finding fails.
#   cmake -DCLANG_TIDY=... -DSOURCE_DIR=... -DBUILD_DIR=... -DFOLDER=tests/ui -P CheckNaming.cmake
file(READ ${BUILD_DIR}/compile_commands.json database)
string(JSON count LENGTH "${database}")
math(EXPR last "${count} - 1")
set(files)
foreach(i RANGE ${last})
    string(JSON file GET "${database}" ${i} file)
    if(file MATCHES "^${SOURCE_DIR}/${FOLDER}/[^/]+$")
        list(APPEND files ${file})
    endif()
endforeach()
if(NOT files)
    message(STATUS "no sources of ${FOLDER} in this build")
    return()
endif()
execute_process(
    COMMAND ${CLANG_TIDY} -p ${BUILD_DIR} --quiet
            "--header-filter=^${SOURCE_DIR}/(archive|cli|ui|folderdialog|tests|bench)/" ${files}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "names in ${FOLDER} break the naming rule of CONTRIBUTING.md")
endif()
