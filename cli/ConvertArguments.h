// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pipeline/ConversionOptions.h"

#include <QString>
#include <QStringList>

#include <variant>

namespace cli {

// What to do with outputs that exist already.
enum class ExistingOutputs { Refuse, Overwrite, Skip };

// A `trovexa --convert` line, read and checked: the sources in their order
// and the options of every job, with the window's start values where the
// line names none.
struct ConvertRequest
{
    QStringList sources; // files or folders, as given
    QString outputFolder; // absolute, ends in "/"
    QString outputName; // "" : proposed from the source's name
    pipeline::ConversionOptions options; // the watermark's fields come from watermarkFile
    bool quick = false; // no normalization
    QString frameCount; // the pictures to grab; "" : none
    QString watermarkFile; // a settings file as the window saves it; "" : none
    ExistingOutputs existing = ExistingOutputs::Refuse;
    bool quiet = false;
    QString reportFile; // where each source's end is appended; "" : none
};

// What the line asks instead of a conversion, or why it cannot be run.
struct ConvertAnswer
{
    QString text; // for the terminal, ending in a line break
    int exitCode = 0; // 0 for --help, 2 for a mistake
};

// Reads the arguments (the program's name first, "--convert" among them);
// relative paths are taken in workingFolder, and --preset's user presets in
// presetFolder. The output folder must be an existing folder; every value
// must be one the window's lists offer.
std::variant<ConvertRequest, ConvertAnswer> readConvertArguments(const QStringList &arguments,
                                                                 const QString &workingFolder,
                                                                 const QString &presetFolder);

} // namespace cli
