# The video-editing component over libavformat and the system ffmpeg.
