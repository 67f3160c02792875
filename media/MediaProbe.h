#pragma once

#include "FrameSize.h"

#include <QString>

#include <optional>

namespace media {

// A frame rate as a fraction; 0/0 when unknown.
struct FrameRate
{
    int num = 0;
    int den = 0;

    bool operator==(const FrameRate &) const = default;
};

// What libavformat and libavcodec can tell about a media file.
struct MediaInfo
{
    double duration = 0; // seconds; 0 when the file does not say
    // The first video stream a decoder exists for (cover pictures left out).
    int videoStream = -1;
    // The size as shown on screen: the coded size turned as the decoder
    // turns the picture (see rotation).
    int width = 0;
    int height = 0;
    FrameSize coded; // the size of the stored pictures
    double rotation = 0; // degrees clockwise the decoder turns the picture
    QString videoCodec; // libavcodec's name, e.g. "mpeg2video"
    QString pixelFormat; // e.g. "yuv420p"; empty when unknown
    FrameRate realFrameRate; // the lowest rate all timestamps fit
    FrameRate averageFrameRate; // frames over time
    // The first audio stream a decoder exists for.
    int audioStream = -1;
    int audioChannels = 0;

    bool hasVideo() const { return videoStream >= 0; }
    bool hasAudio() const { return audioStream >= 0; }
};

// Opens path as a local file and reads its streams. std::nullopt when it
// cannot be opened or its streams cannot be read.
std::optional<MediaInfo> probeMedia(const QString &path);

} // namespace media
