# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ file of the project is not formatted with the project's
# .clang-format. Run with -P, given SOURCE_DIR and CLANG_FORMAT.
file(GLOB_RECURSE files
    "${SOURCE_DIR}/app/*.cpp" "${SOURCE_DIR}/app/*.h"
    "${SOURCE_DIR}/pipeline/*.cpp" "${SOURCE_DIR}/pipeline/*.h"
    "${SOURCE_DIR}/watermark/*.cpp" "${SOURCE_DIR}/watermark/*.h"
    "${SOURCE_DIR}/checks/*.cpp" "${SOURCE_DIR}/checks/*.h"
    "${SOURCE_DIR}/preview/*.cpp" "${SOURCE_DIR}/preview/*.h"
    "${SOURCE_DIR}/platform/*.cpp" "${SOURCE_DIR}/platform/*.h"
    "${SOURCE_DIR}/media/*.cpp" "${SOURCE_DIR}/media/*.h"
    "${SOURCE_DIR}/tools/*.cpp" "${SOURCE_DIR}/tools/*.h"
    "${SOURCE_DIR}/tests/*.cpp" "${SOURCE_DIR}/tests/*.h"
    "${SOURCE_DIR}/bench/*.cpp" "${SOURCE_DIR}/bench/*.h")
execute_process(
    COMMAND "${CLANG_FORMAT}" --style=file --dry-run -Werror ${files}
    RESULT_VARIABLE result
    ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Files not formatted with .clang-format (run clang-format -i):\n${errors}")
endif()
message(STATUS "all files formatted")
