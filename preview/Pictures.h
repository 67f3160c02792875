#pragma once

#include <QPixmap>

namespace preview {

// The program's icon (a film frame with a play mark), drawn at size x size
// pixels; the same design as the desktop icon.
QPixmap programIcon(int size);

// The small 100 x 28 badge under the About box's credits.
QPixmap creditsBadge();

} // namespace preview
