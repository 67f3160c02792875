// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tools {

// Signals that cancel the work of a front-end. Blocked for the whole run, so
// that they arrive only where the front-end waits for them and never between
// two steps of a file replacement.
void blockCancelSignals();

// True when one of the cancel signals is waiting; takes it. signal receives
// its number.
bool takePendingCancel(int &signal);

struct ChildOutcome
{
    bool started = false;
    int exitCode = -1; // the child's exit code, or 128 + signal when it was killed
    int cancelSignal = 0; // the cancel signal the front-end received, or 0
    QString error; // why it could not start
};

// Runs program with arguments (no shell), standard input from /dev/null,
// standard output and error shared with the front-end (error dropped when
// discardErrors is set: the caller reports in its own words). The child dies with
// the front-end (it gets SIGKILL when the front-end ends). A cancel signal
// stops the child with SIGTERM, and after graceMs with SIGKILL. The child
// runs in workingFolder when one is given. A child that cannot be waited for
// counts as not started. blockCancelSignals() must have been called.
ChildOutcome runChild(const QString &program,
                      const QStringList &arguments,
                      bool discardErrors = false,
                      int graceMs = 5000,
                      const QString &workingFolder = {});

} // namespace tools
