// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace tools {

// The variable that names the descriptor the window reads progress from.
constexpr auto ProgressVariable = "TROVEXA_PROGRESS_FD";

// The options that make the system ffmpeg write its "-progress" report
// (key=value lines, twice a second) to the descriptor ProgressVariable
// names, when it names an open one; otherwise none. The window's command
// line stays as it is: the report travels beside it.
QStringList progressArguments();

} // namespace tools
