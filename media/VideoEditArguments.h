// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MediaProbe.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace media {

// The output the video-editing component is set up to write.
struct OutputSettings
{
    int sampleRate = 44100; // Hz
    int audioBitrate = 128; // kbit/s
    int format = 6; // 6: MPEG-2 program stream; anything else: MPEG-1 system stream
    int frameRate = 25;
    int width = 0;
    int height = 0;
    int colorDepth = 24;
};

// A stretch of one stream of a source file.
struct ClipSource
{
    QString path;
    int stream = -1; // index of the stream inside the file
    double start = 0;
    double length = 0;
    int audioChannels = 0; // audio clips only
};

struct ConversionJob
{
    OutputSettings output;
    ClipSource video;
    std::optional<ClipSource> audio;
    QString outputPath; // where the converter writes
    int threads = 1;
    // The video's packets go into the output as they are (see
    // videoCopyable); otherwise the video is decoded and encoded anew.
    bool copyVideo = false;
    QString copiedCodec; // the video's codec (libavcodec's name) when it is copied
};

// True when the output can take a video clip of source as it is, which then
// meets every output setting: MPEG-1 video, or for an MPEG-2 program stream
// MPEG-2 or MPEG-4 Visual video, in 4:2:0 at exactly the output frame rate
// (stated and counted), stored unturned at exactly the output size, queued
// from its start.
bool videoCopyable(const MediaInfo &source, const ClipSource &clip, const OutputSettings &output);

// The converter's argument list (after the program name) for a job. The
// converter reports its progress on standard output and quits on "q" from
// standard input.
QStringList conversionArguments(const ConversionJob &job);

} // namespace media
