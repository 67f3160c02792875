// SPDX-License-Identifier: GPL-3.0-or-later
#include "DBusNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

namespace platform {

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
constexpr int DefaultTimeout = -1; // the server decides

} // namespace

DBusNotifier::DBusNotifier(QString applicationName)
    : m_applicationName(std::move(applicationName))
{ }

void DBusNotifier::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(Service))
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(Service,
                                                       "/org/freedesktop/Notifications",
                                                       Service,
                                                       "Notify");
    call << m_applicationName << uint(0) << QStringLiteral("trovexa-flv-converter") << summary
         << body << QStringList() << QVariantMap() << DefaultTimeout;
    bus.call(call, QDBus::NoBlock);
}

} // namespace platform
