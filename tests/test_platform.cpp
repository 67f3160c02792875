// The seams to the desktop: desktop notifications over a private session
// bus started here, with a notification service of this test's own; the
// lock that keeps one copy of the program running; the colour picker.
#include "platform/ColorCombo.h"
#include "platform/DBusNotifier.h"
#include "platform/InstanceLock.h"

#include "support/TestPaths.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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

class PlatformTest : public QObject
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

    // The real program holds its lock while it runs, and another copy sees it.
    void runningProgramIsSeen()
    {
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString lockPath = runtime.path() + "/trovexa-flv-converter.lock";

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setStandardInputFile(QProcess::nullDevice());
        program.start(applicationFolderUnderTest() + "/trovexa", {});
        QVERIFY(program.waitForStarted());

        QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(lockPath); }, 20000),
                 "the program never took its lock");

        {
            platform::InstanceLock second(lockPath);
            QVERIFY(second.anotherCopyRunning());
        }
        QCOMPARE(program.state(), QProcess::Running);

        program.kill();
        QVERIFY(program.waitForFinished());
        // The lock of a copy that died is taken over.
        platform::InstanceLock next(lockPath);
        QVERIFY(!next.anotherCopyRunning());
        platform::InstanceLock third(lockPath);
        QVERIFY(third.anotherCopyRunning());
    }

    // Value = red + 256 * green + 65536 * blue; a position outside the list
    // selects nothing.
    void entriesKeepTheirOrderNamesAndColours()
    {
        platform::ColorCombo combo;
        QVERIFY(!combo.isEditable());
        QVERIFY(!combo.setSelectedPosition(0));
        combo.addColor(255 + 256 * 128, "orange");
        combo.addColor(65536 * 200 + 10, "NavyBlue");
        const std::tuple<qint16, bool, qint16, QString> cases[] = {{1, true, 1, "NavyBlue"},
                                                                   {0, true, 0, "orange"},
                                                                   {2, false, -1, ""},
                                                                   {-1, false, -1, ""},
                                                                   {32767, false, -1, ""}};
        for (const auto &[position, selected, shown, name] : cases) {
            QCOMPARE(combo.setSelectedPosition(position), selected);
            QCOMPARE(combo.selectedPosition(), shown);
            QCOMPARE(combo.selectedName(), name);
        }
        const QPoint centre(combo.iconSize().width() / 2, combo.iconSize().height() / 2);
        const auto swatch = [&](int i) {
            return combo.itemIcon(i).pixmap(combo.iconSize()).toImage().pixelColor(centre);
        };
        QCOMPARE(swatch(0), QColor(255, 128, 0));
        QCOMPARE(swatch(1), QColor(10, 0, 200));
        QCOMPARE(combo.colorValue(1), quint32(65536 * 200 + 10));
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
