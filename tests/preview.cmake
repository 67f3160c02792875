# SPDX-License-Identifier: GPL-3.0-or-later
# Tests of the FLV player tab, help and About box.
trovexa_qtest(test_preview test_preview.cpp
    LIBS trovexa_app trovexa_media trovexa_preview trovexa_test_doubles trovexa_test_media)
add_dependencies(test_preview trovexa_ffmpeg_frontend trovexa_flvmdi)
add_test(NAME test_preview_desktop_install
    COMMAND ${CMAKE_COMMAND}
        -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DWORK=${CMAKE_CURRENT_BINARY_DIR}/preview_desktop
        -P ${CMAKE_CURRENT_SOURCE_DIR}/test_preview_desktop.cmake)
