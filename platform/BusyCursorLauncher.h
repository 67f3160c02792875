#pragma once

#include "ProcessLauncher.h"

namespace platform {

// Shows the busy pointer over the whole program while a child runs.
class BusyCursorLauncher : public ProcessLauncher
{
public:
    explicit BusyCursorLauncher(ProcessLauncher &inner)
        : m_inner(inner)
    { }

    ChildOutcome runToEnd(const QString &program, const QStringList &arguments) override;

private:
    ProcessLauncher &m_inner;
};

} // namespace platform
