# SPDX-License-Identifier: GPL-3.0-or-later
# Tests of normalization with the video-editing component, and of the progress window.
trovexa_qtest(test_normalization test_normalization.cpp
    LIBS trovexa_app trovexa_media trovexa_test_doubles trovexa_test_media)
add_dependencies(test_normalization trovexa_ffmpeg_frontend)
