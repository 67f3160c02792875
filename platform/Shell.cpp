// SPDX-License-Identifier: GPL-3.0-or-later
#include "Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

void DesktopShell::open(const QString &target)
{
    const QUrl url = target.startsWith(u'/') ? QUrl::fromLocalFile(target) : QUrl(target);
    QDesktopServices::openUrl(url);
}

} // namespace platform
