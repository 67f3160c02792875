// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Command.h"
#include "ConversionOptions.h"

#include <QChar>
#include <QString>

namespace pipeline {

// The alpha value the watermark uses for the alpha field's text: the text as
// a whole number (leading zeros dropped). A text that is not a number, such
// as an empty field, gives 255, the field's starting value: the watermark
// stays fully visible.
int watermarkAlpha(const QString &alphaText);

// The encoder arguments that stand between the input file and the output
// file of the encode command; their text begins and ends with a blank. H.264
// with AAC adds its codec options at the end, just before the output name.
// shortAppFolder is the application folder in its short form, windowsFolder
// the folder whose "fonts" subfolder holds the font files, and
// separator the path separator of the platform the command runs on.
CommandArguments BuildEncoderArguments(const ConversionOptions &options,
                                       const QString &shortAppFolder,
                                       const QString &windowsFolder,
                                       QChar separator);

} // namespace pipeline
