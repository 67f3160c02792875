// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace pipeline {

// The codecs of the FLV file: the classic pair, or the pair today's web
// players and streaming servers take.
enum class FlvCodecs { SorensonMp3, H264Aac };

// The encoding choices exactly as the window's controls hold them when a job
// starts: texts untrimmed, check boxes set only when checked.
struct ConversionOptions
{
    QString videoBitrate; // kbit/s digits, e.g. "350"
    QString videoWindow; // "320x240"
    bool deInterlace = false;

    bool watermarkOn = false;
    QString watermarkText;
    QString colorName; // name of the selected colour entry
    QString fontFile; // file name in the system fonts folder
    QString fontSize;
    QString left;
    QString top;
    QString alpha; // digits, 0 to 255

    bool audioOff = false;
    QString sampling; // Hz digits, e.g. "22050"
    QString audioBitrate; // kbit/s digits, e.g. "64"
    QString channels; // "Stereo" or "Mono"

    FlvCodecs codecs = FlvCodecs::SorensonMp3;

    bool operator==(const ConversionOptions &) const = default;
};

} // namespace pipeline
