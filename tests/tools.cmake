# Tests of the ffmpeg and flvmdi front-ends.
