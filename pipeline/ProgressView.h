// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

namespace pipeline {

// The modal progress window of a normalization, as the normalization drives
// it. A new view is made for every normalization.
class ProgressView
{
public:
    virtual ~ProgressView() = default;

    // Shows the window at 0 %, modal over the program's windows, and
    // returns at once. cancelRequested runs when the user asks to cancel
    // (the Cancel button or the window's close box); the window stays open
    // unless the handler closes it.
    virtual void open(std::function<void()> cancelRequested) = 0;
    // Updates the bar and the remaining time while position is below length.
    virtual void ShowProgress(double position, double length) = 0;
    // Ends the display for good; later updates are skipped.
    virtual void closeWindow() = 0;
};

// Makes the progress window of one normalization.
using ProgressViewFactory = std::function<std::unique_ptr<ProgressView>()>;

} // namespace pipeline
