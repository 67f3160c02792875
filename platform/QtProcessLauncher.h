#pragma once

#include "ProcessLauncher.h"

namespace platform {

// Runs children with QProcess. The wait runs a local event loop that keeps
// timers and painting alive while every user-input event is discarded, so
// the window neither freezes nor reacts to clicks and keys meanwhile.
class QtProcessLauncher : public ProcessLauncher
{
public:
    ChildOutcome runToEnd(const QString &program, const QStringList &arguments) override;
};

} // namespace platform
