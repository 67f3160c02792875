// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionOptions.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace pipeline {

// The Converter tab's choices that outlive one conversion: what the window
// remembers between runs and what a preset holds. The source, the output
// name and the watermark are not among them.
struct ConverterChoices
{
    QString videoWindow; // entries of the window's lists, e.g. "320x240"
    QString videoBitrate;
    bool deInterlace = false;
    bool pictures = false; // Grab JPEG of the first frames
    QString pictureCount; // "1" to "99"
    FlvCodecs codecs = FlvCodecs::SorensonMp3;
    bool quickEncode = false;
    bool audioOff = false;
    // Kept while the sound is off, so that turning it on brings them back.
    QString sampling;
    QString audioBitrate;
    QString channels;

    bool operator==(const ConverterChoices &) const = default;
};

// The window's start values: the default entry of every list, every box
// unchecked, ten pictures, the classic codecs.
ConverterChoices startChoices();

// The choices as "key=value" entries, one per key, in the documented order:
// size, video-bitrate, deinterlace, images, image-count, codec, quick,
// audio, audio-bitrate, sampling, channels. Switches are "yes" or "no".
using ChoiceEntries = QList<QPair<QString, QString>>;
ChoiceEntries choiceEntries(const ConverterChoices &choices);
// The values a key takes as a file spells them; none for an unknown key.
QStringList allowedChoiceValues(const QString &key);

// Why entries were not taken: the key, and what is wrong with it.
struct ChoiceRefusal
{
    enum class Kind { UnknownKey, Repeated, NotAllowed };
    Kind kind = Kind::UnknownKey;
    QString key;
    QString value;
    bool operator==(const ChoiceRefusal &) const = default;
};

// Every entry taken, or the first one refused; keys left out take the
// start values. Values are compared as written (the lists' own spelling,
// "mono"/"stereo" and "classic"/"h264" in any case).
std::variant<ConverterChoices, ChoiceRefusal> readChoiceEntries(const ChoiceEntries &entries);

// The same, leniently: a key that is missing, unknown or refused keeps its
// start value and the others are taken.
ConverterChoices readChoiceEntriesLeniently(const ChoiceEntries &entries);

// The options a conversion takes from the choices (the watermark's fields
// stay empty), and the pictures to grab: "" for none.
ConversionOptions conversionOptionsOf(const ConverterChoices &choices);
QString frameCountOf(const ConverterChoices &choices);

} // namespace pipeline
