// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeRemaining.h"

#include <algorithm>
#include <cmath>

namespace pipeline {

QString FormatTimeRemaining(double seconds)
{
    const qint64 whole = std::isfinite(seconds) && seconds > 0
            ? std::llround(std::min(seconds, 1e15))
            : 0;
    const qint64 hours = whole / 3600;
    const qint64 minutes = (whole / 60) % 60;
    const qint64 rest = whole % 60;
    return QStringLiteral("%1:%2:%3")
            .arg(hours, 2, 10, QChar(u'0'))
            .arg(minutes, 2, 10, QChar(u'0'))
            .arg(rest, 2, 10, QChar(u'0'));
}

ProgressClock wallClockProgress(double elapsed, double position, double length)
{
    if (!(elapsed > 0 && position > 0 && std::isfinite(elapsed) && std::isfinite(length)))
        return {position, length};
    return {elapsed, elapsed * (length / position)};
}

} // namespace pipeline
