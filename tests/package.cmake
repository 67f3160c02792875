# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: built with cpack, checked with lintian, and run from
# its unpacked files by a user who cannot write them.
add_executable(installed_run installed_run.cpp)
target_link_libraries(installed_run PRIVATE Qt6::Test
    trovexa_app trovexa_media trovexa_test_doubles trovexa_test_media)
target_include_directories(installed_run PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

add_test(NAME test_package
    COMMAND ${CMAKE_COMMAND}
        -DCPACK=${CMAKE_CPACK_COMMAND}
        -DCPACK_CONFIG=${CMAKE_BINARY_DIR}/CPackConfig.cmake
        -DDRIVER=$<TARGET_FILE:installed_run>
        -DVERSION=${PROJECT_VERSION}
        -DWORK=${CMAKE_CURRENT_BINARY_DIR}/package
        -P ${CMAKE_CURRENT_SOURCE_DIR}/test_package.cmake)
