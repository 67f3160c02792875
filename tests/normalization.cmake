# Tests of the progress window, the video-editing component and normalization.
trovexa_gtest(test_video_edit QT_MAIN test_video_edit.cpp
    LIBS trovexa_media trovexa_test_media Qt6::Test)
trovexa_qtest(test_progress_window test_progress_window.cpp LIBS trovexa_app)
trovexa_qtest(test_normalization test_normalization.cpp
    LIBS trovexa_app trovexa_media trovexa_test_doubles trovexa_test_media)
add_dependencies(test_normalization trovexa_ffmpeg_frontend)
