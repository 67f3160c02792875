#pragma once

#include <QtGlobal>

namespace tools {

// The file size that the metadata tag at the start of the FLV file open as fd
// states, or -1 when it states none. ffmpeg and flvmeta both write it, and
// ffmpeg only once it has written everything else.
qint64 declaredFileSize(int fd);

// Whether the FLV file open as fd is as long as its metadata says: a write
// that failed on the way (a full disk) leaves it shorter, or without its size.
bool isCompleteFlv(int fd);

} // namespace tools
