// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The encoding lists fixed in the program: entries in their order (not
// sorted) and the position selected at start.
struct FixedOptionList
{
    QStringList entries;
    int defaultPosition = 0;
};

namespace OptionLists {

inline FixedOptionList videoWindow()
{
    return {{"160x120",
             "240x180",
             "240x135",
             "320x180",
             "320x240",
             "400x225",
             "400x300",
             "512x288",
             "512x384",
             "640x360",
             "640x480",
             "768x432",
             "768x576"},
            6};
}

inline FixedOptionList videoBitrate()
{
    return {{"40", "96", "112", "160", "225", "350", "450", "800", "1200"}, 4};
}

inline FixedOptionList audioSampling()
{
    return {{"11025", "22050", "44100"}, 1};
}

inline FixedOptionList audioBitrate()
{
    return {{"24", "32", "48", "56", "64", "80", "96", "112", "128", "160"}, 2};
}

inline FixedOptionList audioChannels()
{
    return {{"Stereo", "Mono"}, 1};
}

// In the order of pipeline::FlvCodecs.
inline FixedOptionList codecs()
{
    return {{"Sorenson H.263 + MP3 (classic)", "H.264 + AAC"}, 0};
}

// Positions selected in the lists filled from the data files.
constexpr int DefaultFont = 0;
constexpr int DefaultFontSize = 4;
constexpr int DefaultColor = 6;

} // namespace OptionLists
