// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pipeline/ConversionOptions.h"
#include "pipeline/DataFiles.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace cli {

// The lists a settings file's indices select from, as the window fills them
// from the application folder's data files.
struct WatermarkLists
{
    QList<FontEntry> fonts;
    QStringList fontSizes;
    QList<ColorEntry> colors;
};

// Reads the three data files of the application folder; why not, when
// one of them cannot be used.
std::optional<QString> readWatermarkLists(const QString &applicationFolder, WatermarkLists &lists);

// Sets the watermark's fields of options from a settings file's bytes, as
// loading the file in the window sets its controls, and turns the watermark
// on. A file the window could not load whole (a line missing, an index
// outside its list) or whose text is empty is refused: why.
std::optional<QString> applyWatermarkSettings(const QByteArray &bytes,
                                              const WatermarkLists &lists,
                                              pipeline::ConversionOptions &options);

} // namespace cli
