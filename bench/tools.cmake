# Front-end overhead against direct ffmpeg and flvmeta.
