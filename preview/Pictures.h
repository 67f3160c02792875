// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, kept in data/ and built into the program.
namespace preview {

// A film frame with a play mark; the same picture as the desktop icon.
inline QIcon programIcon()
{
    return QIcon(":/trovexa/desktop/trovexa-flv-converter-128.png");
}

// The small badge under the About box's credits.
inline QPixmap creditsBadge()
{
    return QPixmap(":/trovexa/images/credits-badge.png");
}

// The picture shown at start-up.
inline QPixmap splashPicture()
{
    return QPixmap(":/trovexa/images/splash.png");
}

} // namespace preview
