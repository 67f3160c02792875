// SPDX-License-Identifier: GPL-3.0-or-later
#include "H264Arguments.h"

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

// veryfast: at 400x300 and 350 kbit/s it takes about 1.5 times as long as
// the classic codec and gives most of what slower presets gain; faster and
// fast took 1.4 and 2 times as long again for at most half a dB more, medium
// longer still for less than a dB. B-frames stay on: they are worth close
// to a dB, at the price of the picture starting two frames (80 ms) into the
// file, the sound with it.
constexpr auto Preset = "veryfast";

// Main profile: what Flash-era players, flv.js and hardware decoders all
// play. (High gave no measurable gain at these sizes and rates.)
constexpr auto Profile = "main";

// Level 3.1 holds every frame size of the window at 25 frames a second and
// every bit rate it offers: at most 3600 macroblocks a frame, 108000 a
// second.
constexpr auto Level = "3.1";
constexpr int LevelFrameMacroblocks = 3600;
constexpr double LevelMacroblockRate = 108000;

// A player can only seek to a keyframe: one at least every 2 seconds.
constexpr double KeyframeSeconds = 2;

// The frame rate text of -r ("25", "29.97", "30000/1001") as a number; 0
// when there is none.
double framesPerSecond(const QString &rate)
{
    const double numerator = rate.section(u'/', 0, 0).toDouble();
    const double denominator = rate.contains(u'/') ? rate.section(u'/', 1, 1).toDouble() : 1;
    return denominator > 0 ? numerator / denominator : 0;
}

int macroblocks(int pixels)
{
    return (pixels + 15) / 16;
}

} // namespace

QStringList h264ScaleFilters(int width, int height)
{
    if (width <= 0)
        return {"scale=ceil(iw/2)*2:ceil(ih/2)*2"};
    return {QString("scale=%1:%2").arg(width + width % 2).arg(height + height % 2), "setsar=1"};
}

QStringList h264VideoArguments(const LegacyCommand &command)
{
    QStringList args {"-c:v", "libx264", "-preset", Preset, "-profile:v", Profile};
    const double fps = framesPerSecond(command.frameRate);
    const int frameMacroblocks = macroblocks(command.width) * macroblocks(command.height);
    // Larger frames or rates than the level holds: x264 picks the level.
    if (frameMacroblocks > 0 && fps > 0 && frameMacroblocks <= LevelFrameMacroblocks
        && frameMacroblocks * fps <= LevelMacroblockRate)
        args << "-level" << Level;
    // Main profile takes 4:2:0 only; sources in 4:2:2, 4:4:4 or RGB are
    // converted rather than refused.
    args << "-pix_fmt"
         << "yuv420p";
    // The keyframe distance in frames when the rate is known; otherwise by
    // the clock. Scene cuts still get a keyframe of their own, and the
    // distance counts from there.
    if (fps > 0)
        args << "-g" << QString::number(std::max(1, int(std::floor(KeyframeSeconds * fps))));
    else
        args << "-force_key_frames" << QString("expr:gte(t,n_forced*%1)").arg(KeyframeSeconds);
    // No end-of-sequence tag after the last frame: flvmeta would index it as
    // a keyframe and count it as a frame, and GStreamer's demuxer calls it
    // invalid.
    args << "-flvflags"
         << "no_sequence_end";
    return args;
}

} // namespace tools
