#pragma once

#include "LegacyCommand.h"

#include <QStringList>

namespace tools {

// The system ffmpeg's video options for "-vcodec h264": libx264 in a form
// that web FLV players, streaming ingest and the player tab all accept.
QStringList h264VideoArguments(const LegacyCommand &command);

} // namespace tools
