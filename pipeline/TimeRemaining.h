#pragma once

#include <QString>

namespace pipeline {

// The remaining time as the progress window shows it: hours, minutes and
// seconds of the seconds given, rounded to the nearest second, each with at
// least two digits ("00:02:05"; hours of 100 or more take the digits they
// need). Negative and non-finite times show as "00:00:00".
QString FormatTimeRemaining(double seconds);

} // namespace pipeline
