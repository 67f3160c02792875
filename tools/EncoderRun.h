// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace tools {

// Does what the old-style encoder command line (without the program name)
// asks and returns the exit code: the system ffmpeg's, or RefusedExitCode
// when the line is refused before anything is written.
//
// The output is written under a temporary name in its folder and renamed
// into place only when ffmpeg succeeded, so a failed or cancelled encode
// never leaves a partial file under the output name nor touches an existing
// file of that name.
int runEncoder(const QStringList &arguments);

} // namespace tools
