// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FilterText.h"
#include "LegacyCommand.h"

#include <QStringList>

#include <optional>

namespace tools {

// What the front-end found in the input: the streams to convert (-1: let
// ffmpeg choose) and its title.
struct SourceStreams
{
    int video = -1;
    int audio = -1;
    QString title;
};

// The arguments for the system ffmpeg (without the program name) that do
// what the old command line asked. The filters run in the old order:
// de-interlace, watermark, then scaling to the frame size. The container
// follows the output name: ".flv" gives Sorenson H.263 video with MP3 audio
// unless -vcodec h264 and -acodec aac ask for H.264 and AAC, a picture
// pattern such as "cover%d.jpg" gives JPEG pictures. writtenOutput
// is the path ffmpeg writes to (the front-end's temporary name); an empty
// text means command.output. Of the input's tags only its title reaches the
// output: no place, device or software of the recording.
QStringList modernArguments(const LegacyCommand &command,
                            const std::optional<DrawText> &drawText,
                            const QString &writtenOutput = {},
                            const SourceStreams &source = {});

} // namespace tools
