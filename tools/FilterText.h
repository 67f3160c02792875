// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ColourTable.h"

#include <QString>

namespace tools {

// What drawtext needs to draw the watermark; the text itself comes from a
// file so that it needs no escaping.
struct DrawText
{
    QString fontFile;
    int fontSize = 0;
    Rgb colour;
    int alpha = 255;
    int left = 0;
    int top = 0;
    QString textFile;
};

// A filter option value quoted for the option parser: wrapped in single
// quotes, each "'" written as '\''.
QString quoteOptionValue(const QString &value);

// A whole filter description escaped for the filtergraph parser: a backslash
// before each of \ ' [ ] , ;
QString escapeForGraph(const QString &filter);

// The drawtext filter, escaped at both levels, ready to be joined into a
// filter chain with ",".
QString drawTextFilter(const DrawText &drawText);

} // namespace tools
