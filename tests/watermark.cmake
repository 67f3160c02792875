# SPDX-License-Identifier: GPL-3.0-or-later
# Tests of the watermark rules and settings files.
trovexa_gtest(test_watermark_settings test_watermark_settings.cpp LIBS trovexa_watermark Qt6::Gui)
trovexa_qtest(test_watermark_tab test_watermark_tab.cpp
    LIBS trovexa_app trovexa_media trovexa_test_doubles trovexa_test_media)

# A libFuzzer target for the settings loader, built with clang when it is
# there, and run for a bounded time as a test: a short run by default, a
# longer one on request (-DTROVEXA_FUZZ_SECONDS=600, or the environment
# variable TROVEXA_FUZZ_SECONDS when the test runs).
set(TROVEXA_FUZZ_SECONDS 10 CACHE STRING "Seconds the fuzz_settings_loader test runs by default")
find_program(TROVEXA_CLANGXX NAMES clang++ clang++-14)
if(TROVEXA_CLANGXX)
    set(fuzz_sources
        ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_settings_loader.cpp
        ${CMAKE_SOURCE_DIR}/watermark/WatermarkSettings.cpp
        ${CMAKE_SOURCE_DIR}/watermark/SettingsScrambler.cpp
        ${CMAKE_SOURCE_DIR}/watermark/Windows1252.cpp
        ${CMAKE_SOURCE_DIR}/watermark/InputRules.cpp)
    get_target_property(fuzz_qt_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
    list(TRANSFORM fuzz_qt_includes PREPEND "-I")
    get_target_property(fuzz_qt_library Qt6::Core LOCATION)
    set(fuzz_binary ${CMAKE_CURRENT_BINARY_DIR}/fuzz/settings_loader)
    add_custom_command(
        OUTPUT ${fuzz_binary}
        COMMAND ${TROVEXA_CLANGXX} -std=c++20 -g -O1 -fPIC
                -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
                -DQT_CORE_LIB -I${CMAKE_SOURCE_DIR} ${fuzz_qt_includes}
                ${fuzz_sources} ${fuzz_qt_library} -o ${fuzz_binary}
        DEPENDS ${fuzz_sources}
        COMMENT "Building the settings loader fuzzer with clang"
        VERBATIM)
    add_custom_target(build_fuzz_settings_loader ALL DEPENDS ${fuzz_binary})
    set(fuzz_corpus ${CMAKE_CURRENT_BINARY_DIR}/fuzz_settings_corpus)
    file(MAKE_DIRECTORY ${fuzz_corpus} ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
    add_test(NAME fuzz_settings_loader
        COMMAND ${CMAKE_COMMAND} -DFUZZER=${fuzz_binary} -DCORPUS=${fuzz_corpus}
            -DSECONDS=${TROVEXA_FUZZ_SECONDS} -P ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/run_fuzzer.cmake)
endif()
