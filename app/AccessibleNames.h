// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct MainWindowUi;

// Gives every field of the main window the name of its label, for screen
// readers, names the spinner's buttons, and sets the Tab order of each tab
// to reading order.
void nameControls(MainWindowUi &ui);
