# Tests of the ffmpeg and flvmdi front-ends.
trovexa_gtest(test_tool_translation test_tool_translation.cpp
    LIBS trovexa_tool_translation trovexa_pipeline)
