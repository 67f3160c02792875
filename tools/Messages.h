// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tools {

// Exit code of a front-end for a command line or input it refuses, before
// anything is written.
constexpr int RefusedExitCode = 2;
// Exit code for a failure of the front-end's own file work.
constexpr int FileErrorExitCode = 1;

// Writes "<program>: <message>" as one line on standard error.
void reportError(const char *program, const QString &message);

// The exit code for a run cancelled by signal.
inline int cancelledExitCode(int signal)
{
    return 128 + signal;
}

} // namespace tools
