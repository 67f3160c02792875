# SPDX-License-Identifier: GPL-3.0-or-later
# Tests of the ffmpeg and flvmdi front-ends.
trovexa_gtest(test_tool_translation test_tool_translation.cpp
    LIBS trovexa_tool_runtime trovexa_test_media)
trovexa_gtest(test_tool_encode QT_MAIN test_tool_encode.cpp
    LIBS trovexa_pipeline trovexa_test_media)
add_dependencies(test_tool_encode trovexa_ffmpeg_frontend trovexa_flvmdi)
trovexa_gtest(test_tool_failures QT_MAIN test_tool_failures.cpp LIBS trovexa_test_media)
add_dependencies(test_tool_failures trovexa_ffmpeg_frontend trovexa_flvmdi)
