#include "QueuePlan.h"

namespace pipeline {

QString distinctOutputName(const QString &proposed, const QSet<QString> &taken)
{
    if (!taken.contains(proposed))
        return proposed;
    const qsizetype dot = proposed.lastIndexOf(u'.');
    const QString stem = dot > 0 ? proposed.left(dot) : proposed;
    const QString suffix = dot > 0 ? proposed.mid(dot) : QString();
    for (int number = 2;; ++number) {
        const QString name = QString("%1 (%2)%3").arg(stem).arg(number).arg(suffix);
        if (!taken.contains(name))
            return name;
    }
}

} // namespace pipeline
