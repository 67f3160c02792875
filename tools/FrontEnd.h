// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace tools {

// Starts a front-end: puts the process state it inherited right (the
// signals it waits for get their default handling back, none stays
// blocked), reads the arguments, and hands them to run. An argument that is
// not valid UTF-8 names no file the front-end can be sure of: it is refused
// with RefusedExitCode before anything is touched.
int runFrontEnd(const char *program, int argc, char **argv, int (*run)(const QStringList &));

} // namespace tools
