// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WatermarkHook.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tools {

// One encoder command line in the old option syntax, read into values.
struct LegacyCommand
{
    QString input;
    QString output;
    QString videoBitrate; // ffmpeg value, e.g. "350k"
    QString frameRate; // e.g. "25"
    int width = 0; // 0: keep the source size
    int height = 0;
    bool deInterlace = false;
    std::optional<QString> hook; // the raw watermark hook argument
    bool audioOff = false;
    QString sampleRate; // e.g. "22050"
    QString audioBitrate; // ffmpeg value, e.g. "64k"
    QString channels; // e.g. "2"
    QString frameCount; // e.g. "10"
    QString videoCodec; // "flv" or "h264"; empty: the container's own
    QString audioCodec; // "mp3" or "aac"; empty: the container's own
};

struct LegacyParse
{
    LegacyCommand command;
    QString error; // empty when the line was understood
};

// Reads the arguments of an old-style encoder command line (without the
// program name). Numbers are read the way the old option parsers did:
// leading digits count, trailing unit text such as "kb/s" or "Hz" is ignored.
LegacyParse parseLegacyCommand(const QStringList &arguments);

// "350kb/s" -> "350k", "1.5M" -> "1.5M", "800000" -> "800000"; nullopt when
// the text does not start with a number.
std::optional<QString> videoBitrateValue(const QString &text);

// Like videoBitrateValue, but a bare number below 1000 means kbit/s:
// "64" -> "64k", "128000" -> "128000".
std::optional<QString> audioBitrateValue(const QString &text);

// The leading whole number of a text: "22050Hz" -> 22050.
std::optional<qint64> leadingInteger(const QString &text);

// True when the output names numbered JPEG pictures: its file name ends in
// ".jpg" or ".jpeg" and holds one number field, "%d" or "%0Nd"
// ("cover%d.jpg", "shot%03d.jpeg"). Any other "%" is a plain character, in
// the file name and in the folders.
bool isPicturePattern(const QString &output);

// The file name of picture number in a picture pattern's file name:
// ("cover%d.jpg", 12) -> "cover12.jpg", ("shot%03d.jpg", 7) -> "shot007.jpg".
QString pictureName(const QString &patternFileName, qint64 number);

} // namespace tools
