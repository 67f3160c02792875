// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// What the command line asks of the program: `trovexa [FILE...]`.
struct StartOptions
{
    QStringList files; // given as the source, as if chosen with Input File
};

// Answers --help and --version on the terminal, before any window system is
// opened, and ends the program there; otherwise does nothing.
void answerOnTerminal(int argc, char *argv[]);

// Reads the command line the application has left after taking its own
// options (-platform, -style and the like). A mistake is reported on the
// terminal and ends the program.
StartOptions readStartOptions(const QStringList &arguments);
