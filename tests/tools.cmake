# Tests of the ffmpeg and flvmdi front-ends.
trovexa_gtest(test_tool_translation test_tool_translation.cpp
    LIBS trovexa_tool_runtime)
target_compile_definitions(test_tool_translation PRIVATE
    TOOL_LINES="${CMAKE_CURRENT_SOURCE_DIR}/data/tool_lines.txt")
trovexa_gtest(test_tool_encode QT_MAIN test_tool_encode.cpp
    LIBS trovexa_pipeline trovexa_test_media)
target_compile_definitions(test_tool_encode PRIVATE
    TOOL_ENCODES="${CMAKE_CURRENT_SOURCE_DIR}/data/tool_encodes.txt")
add_dependencies(test_tool_encode trovexa_ffmpeg_frontend trovexa_flvmdi)
trovexa_gtest(test_tool_failures QT_MAIN test_tool_failures.cpp LIBS trovexa_test_media Qt6::Test)
target_compile_definitions(test_tool_failures PRIVATE
    TOOL_FAILURES="${CMAKE_CURRENT_SOURCE_DIR}/data/tool_failures.txt")
add_dependencies(test_tool_failures trovexa_ffmpeg_frontend trovexa_flvmdi)
