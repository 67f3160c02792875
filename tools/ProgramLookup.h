// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tools {

// The first executable called name in the folders of PATH that is not the
// running program itself: not the same file (followed through links), nor a
// copy of it.
// Empty when there is none.
QString findOnPath(const QString &name);

} // namespace tools
