// Desktop notifications over a private session bus, started here, with a
// notification service of this test's own.
#include "platform/DBusNotifier.h"

#include <QDBusConnection>
#include <QProcess>
#include <QVariantMap>
#include <QtTest>

namespace {

const QString Service = "org.freedesktop.Notifications";

// What a desktop's notification server receives.
class NotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received; // application name, summary, body
public Q_SLOTS:
    uint Notify(const QString &application,
                uint,
                const QString &,
                const QString &summary,
                const QString &body,
                const QStringList &,
                const QVariantMap &,
                int)
    {
        received = {application, summary, body};
        return 1;
    }
};

} // namespace

class DesktopNotifierTest : public QObject
{
    Q_OBJECT
private:
    QProcess m_bus;
    QString m_address;

private Q_SLOTS:
    void initTestCase()
    {
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY2(m_bus.waitForReadyRead(30000), "dbus-daemon (package dbus-daemon) runs");
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
        // Before the first use of the session bus in this process.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }

    void cleanupTestCase()
    {
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void serviceReceivesOneNotification()
    {
        QDBusConnection connection = QDBusConnection::connectToBus(m_address, "server");
        NotificationServer server;
        QVERIFY(connection.registerObject("/org/freedesktop/Notifications",
                                          &server,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(connection.registerService(Service));

        platform::DBusNotifier("Trovexa FLV Converter")
                .notify("Trovexa FLV Converter", "clip.flv is ready");
        QVERIFY(QTest::qWaitFor([&] { return !server.received.isEmpty(); }, 30000));
        QCOMPARE(server.received,
                 QStringList(
                         {"Trovexa FLV Converter", "Trovexa FLV Converter", "clip.flv is ready"}));
        connection.unregisterService(Service);
        QDBusConnection::disconnectFromBus("server");
    }
};

QTEST_GUILESS_MAIN(DesktopNotifierTest)
#include "test_desktop_notifier.moc"
