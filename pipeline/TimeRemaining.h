#pragma once

#include <QString>

namespace pipeline {

// The remaining time as the progress window shows it: hours, minutes and
// seconds of the seconds given, rounded to the nearest second, each with at
// least two digits ("00:02:05"; hours of 100 or more take the digits they
// need). Negative and non-finite times show as "00:00:00".
QString FormatTimeRemaining(double seconds);

// The seconds still to go when the share done (0 to 1) took elapsed
// seconds, at the rate so far; 0 before anything is done.
double estimateRemaining(double done, double elapsedSeconds);

} // namespace pipeline
