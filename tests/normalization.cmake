# Tests of the progress window, and of normalization with the video-editing component.
trovexa_qtest(test_progress_window test_progress_window.cpp LIBS trovexa_app)
trovexa_qtest(test_normalization test_normalization.cpp
    LIBS trovexa_app trovexa_media trovexa_test_doubles trovexa_test_media)
add_dependencies(test_normalization trovexa_ffmpeg_frontend)
