// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace tools {

// The options of the old text watermark hook, given to the encoder as one
// argument after -vhook:
//   <module>/imlib2.dll -c <colour> -F <font file>/<size> -C <colour table>
//       -A <alpha> -x <left> -y <top> -t <text>
// Paths and the text may contain blanks; the text runs to the end of the
// argument, line breaks included.
struct WatermarkHook
{
    QString module;
    QString colourName;
    QString fontFile;
    int fontSize = 0;
    QString colourTable;
    int alpha = 255; // 0 (invisible) to 255 (opaque)
    int left = 0;
    int top = 0;
    QString text;
};

struct WatermarkHookParse
{
    WatermarkHook hook;
    QString error; // empty when the argument was understood
};

// Splits the hook argument at its option markers, in their fixed order.
WatermarkHookParse parseWatermarkHook(const QString &argument);

} // namespace tools
