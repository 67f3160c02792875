// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace cli {

// True when the command line asks for `trovexa --convert ...`.
bool wantsConvert(int argc, char *argv[]);

// Runs `trovexa --convert ...` to its end with no window system: its exit status.
int convertMain(int argc, char *argv[]);

} // namespace cli
