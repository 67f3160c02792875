// SPDX-License-Identifier: GPL-3.0-or-later
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
    // Seconds, as the file states them or, where it states none, from the
    // timestamps of its streams; 0 when neither tells.
    double duration = 0;
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
    int reorderedFrames = 0; // B-frames: how far the decoder holds pictures back
    FrameRate realFrameRate; // the lowest rate all timestamps fit
    FrameRate averageFrameRate; // frames over time, as the file states it
    // Counted from the first video packets (about 20 seconds): the frames
    // between the first and the last timestamp seen, and the seconds between
    // them. A stream with gaps or a rate of its own shows it here even where
    // the file states 25 fps.
    int headFrames = 0;
    double headSeconds = 0;
    // The audio stream a player plays: the first one marked as the default
    // track, else the first one; only streams a decoder exists for.
    int audioStream = -1;
    int audioChannels = 0;
    QString title; // the file's own title tag; empty without one

    bool hasVideo() const { return videoStream >= 0; }
    bool hasAudio() const { return audioStream >= 0; }
};

// Opens path as a local file and reads its streams. std::nullopt when it
// cannot be opened or its streams cannot be read; error then receives why.
std::optional<MediaInfo> probeMedia(const QString &path, QString *error = nullptr);

// What a whole file's packets say about its first video and audio streams,
// as a player decodes them: times are presentation times in seconds.
struct MeasuredStreams
{
    int videoFrames = 0;
    double videoStart = 0;
    double videoEnd = 0; // the end of the last frame shown
    // Whether every frame lasts as long as the others (within the file's
    // clock resolution), and the rate: the steady rate, else frames over time.
    bool constantRate = false;
    double frameRate = 0;
    int sampleRate = 0; // 0: no audio
    int channels = 0;
    double audioStart = 0;
    double audioEnd = 0;

    // The length of the picture, or of the sound in a file without picture.
    double duration() const;
};

// Reads every packet of a file. std::nullopt when it cannot be read.
std::optional<MeasuredStreams> measureStreams(const QString &path);

} // namespace media
