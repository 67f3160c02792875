#pragma once

#include <QSet>
#include <QString>

namespace pipeline {

// An output name that none of taken has: the proposed one when it is free,
// else "clip (2).flv", "clip (3).flv" and so on.
QString distinctOutputName(const QString &proposed, const QSet<QString> &taken);

} // namespace pipeline
