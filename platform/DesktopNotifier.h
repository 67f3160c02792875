// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// Notifications on the desktop, for news the user may not be looking at.
class DesktopNotifier
{
public:
    virtual ~DesktopNotifier() = default;
    // Shows one notification, where the desktop has a service for it;
    // otherwise nothing happens. Returns at once.
    virtual void notify(const QString &summary, const QString &body) = 0;
};

} // namespace platform
