// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QProcess;

namespace platform {

// The errno value exec would report for this program, or 0 when it looks
// startable. QProcess reports start failures only as text, so the common
// causes are found here first.
int startError(const QString &program);

// Recovers the errno value from the text QProcess gives for a failed exec
// ("execve: Exec format error"); falls back to ENOEXEC.
int errorFromText(const QString &text);

// How a running child is asked to end.
struct StopSteps
{
    // Written to the child's standard input to ask it to quit; when empty,
    // the request is SIGTERM.
    QByteArray quitRequest;
    int terminateAfterMs = 2000; // then SIGTERM
    int killAfterMs = 1000; // and this much later SIGKILL
};

// Asks a running child to end and returns at once: the quit request now,
// SIGTERM and SIGKILL later on timers that belong to the child object, so
// nothing more happens once it is gone. The child's finished signal tells
// when it has ended.
void stopChild(QProcess &child, const StopSteps &steps);

// Whether a process of that id is there (of any user).
bool processExists(qint64 pid);

// The child is asked to end (SIGTERM) when this program dies, even by
// SIGKILL, so that no tool goes on writing for a run that is gone.
void endWithParent(QProcess &child);

// For the program's end, when no event loop will run the timers of
// stopChild: waits for a child already asked to end, with SIGTERM and then
// SIGKILL after the same steps' delays.
void finishChild(QProcess &child, const StopSteps &steps);

} // namespace platform
