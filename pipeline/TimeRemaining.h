// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace pipeline {

// The remaining time as the progress window shows it: hours, minutes and
// seconds of the seconds given, rounded to the nearest second, each with at
// least two digits ("00:02:05"; hours of 100 or more take the digits they
// need). Negative and non-finite times show as "00:00:00".
QString FormatTimeRemaining(double seconds);

// Progress in wall-clock seconds: how long the work has run, and how long it
// runs in all at its pace so far.
struct ProgressClock
{
    double position = 0;
    double length = 0;
};

// Turns a conversion's progress through its media (position of length
// seconds) after elapsed seconds of work into wall-clock progress: the same
// share done, and length minus position is the time still to wait, however
// fast the conversion runs through its media. Before any media is done (or
// with no time elapsed) the media progress is all there is to go by.
ProgressClock wallClockProgress(double elapsed, double position, double length);

} // namespace pipeline
