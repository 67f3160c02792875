#pragma once

#include <QString>

#include <optional>

namespace media {

// What libavformat and libavcodec can tell about a media file.
struct MediaInfo
{
    double duration = 0; // seconds; 0 when the file does not say
    // The first video stream a decoder exists for (cover pictures left out).
    int videoStream = -1;
    int width = 0;
    int height = 0;
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
