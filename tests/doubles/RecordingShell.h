#pragma once

#include "platform/InstanceLock.h"
#include "platform/Shell.h"

#include <QStringList>

namespace platform {

// Test double: records what would have been opened.
class RecordingShell : public Shell
{
public:
    void open(const QString &target) override { opened.append(target); }
    QStringList opened;
};

// Test double: answers the instance query as told.
class FixedInstanceQuery : public InstanceQuery
{
public:
    explicit FixedInstanceQuery(bool running = false)
        : running(running)
    { }
    bool anotherCopyRunning() override { return running; }
    bool running;
};

} // namespace platform
