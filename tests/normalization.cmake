# Tests of the progress window, the video-editing component and normalization.
