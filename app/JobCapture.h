// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainWindowUi.h"

#include "pipeline/Job.h"

// A job for source with the window's options as they stand now: the
// Converter and Watermarker tabs' choices, Quick Encode, the pictures, the
// output folder, and the output name proposed from the source's name.
pipeline::JobSpec captureJobSpec(const MainWindowUi &ui, const QString &source);

// The same options in place of those of jobSpec; its source and names stay.
pipeline::JobSpec withCurrentOptions(const MainWindowUi &ui, pipeline::JobSpec jobSpec);
