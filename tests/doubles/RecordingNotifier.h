#pragma once

#include "platform/DesktopNotifier.h"

#include <QList>
#include <QPair>

namespace platform {

// Test double: records each notification as summary and body.
class RecordingNotifier : public DesktopNotifier
{
public:
    void notify(const QString &summary, const QString &body) override
    {
        sent.append({summary, body});
    }

    QList<QPair<QString, QString>> sent;
};

} // namespace platform
