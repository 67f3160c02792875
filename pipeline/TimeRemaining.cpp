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

double estimateRemaining(double done, double elapsedSeconds)
{
    if (!(done > 0) || !(elapsedSeconds > 0))
        return 0;
    return elapsedSeconds * (1 - std::min(done, 1.0)) / done;
}

} // namespace pipeline
