// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopNotifier.h"

namespace platform {

// Notifications through the freedesktop notification service on the
// session bus (org.freedesktop.Notifications). Without a session bus or
// without the service, nothing is shown. The call does not wait for an
// answer.
class DBusNotifier : public DesktopNotifier
{
public:
    explicit DBusNotifier(QString applicationName);
    void notify(const QString &summary, const QString &body) override;

private:
    QString m_applicationName;
};

} // namespace platform
