// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LegacyCommand.h"

#include <QStringList>

namespace tools {

// The system ffmpeg's video options for "-vcodec h264": libx264 in a form
// that web FLV players, streaming ingest and the player tab all accept.
QStringList h264VideoArguments(const LegacyCommand &command);

// The scaling filters for H.264 in 4:2:0, which takes only even frame sizes:
// an odd width or height, such as the window's 240x135, grows by one pixel
// (240x136). Without a frame size (0) the source's size is rounded up
// likewise and its pixel shape kept.
QStringList h264ScaleFilters(int width, int height);

} // namespace tools
