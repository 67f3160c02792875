// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop seams: message boxes, file dialogs, notifications, the one-copy lock, the colour picker.
#include "platform/ColorCombo.h"
#include "platform/DBusNotifier.h"
#include "platform/InstanceChannel.h"
#include "platform/InstanceLock.h"
#include "platform/QtFileDialogs.h"
#include "platform/QtMessageBoxes.h"

#include "support/DataRows.h"
#include "support/TestMedia.h"

#include <QtDBus>
#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

// What a desktop's notification server receives.
struct NotificationServer : QDBusVirtualObject
{
    QVariantList received;
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        received = message.arguments();
        return connection.send(message.createReply(uint(1)));
    }
};

class PlatformTest : public QObject
{
    Q_OBJECT
    testmedia::OwnConfigFolder m_config; // for the real program's runs

private Q_SLOTS:
    void aMessageBoxShowsWhatItIsAsked_data() { addDataRows("platform.txt", "boxes"); }
    // The box the user sees: title, text, icon, buttons and details; Return
    // takes the default button, Escape the way out.
    void aMessageBoxShowsWhatItIsAsked()
    {
        QFETCH(QStringList, row);
        const int style = row[0].toInt();
        QString seen;
        QTimer::singleShot(0, [&seen, key = QKeySequence::fromString(row[2])[0].key()] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            seen = QString("%1|%2|%3|%4|%5")
                           .arg(box->windowTitle(), box->text())
                           .arg(box->icon())
                           .arg(int(box->standardButtons()), 0, 16)
                           .arg(box->detailedText());
            QTest::keyClick(box, key);
        });
        const QString title = style == 36 ? "Confirm" : style == 16 ? "Error" : "Message";
        QCOMPARE(platform::QtMessageBoxes().MsgBoxWithDetails("Sure?", style, title, row[1]),
                 row[4].toInt());
        QCOMPARE(seen, row[3]);
    }

    // The real file and folder dialogs: title, mode, filters and where they
    // start; what is picked, or nothing when cancelled.
    void aFileDialogOpensWhereItIsAsked()
    {
        QTemporaryDir dir;
        const QString clip = dir.filePath("clip.flv");
        QVERIFY(testmedia::writeFile(clip, "x"));
        using Mode = platform::FileDialogRequest::Mode;
        const QString my = dir.filePath("my.wsx");
        // clang-format off
        const std::tuple<platform::FileDialogRequest, QString, QString> rows[] = {
            {{Mode::Open, "Open", {}, {"FLV (*.flv)", "All (*)"}, true}, "Open|0|1|FLV (*.flv),All (*)|" + QDir::homePath() + "||1", clip},
            {{Mode::Save, "Save", my, {"WSX (*.wsx)"}}, "Save|1|0|WSX (*.wsx)|" + dir.path() + '|' + my + "|1", ""}};
        // clang-format on
        platform::QtFileDialogs dialogs;
        for (const auto &[request, expected, picked] : rows) {
            QString seen;
            QTimer::singleShot(0, [&seen, &clip, open = request.mode == Mode::Open] {
                auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                seen = QStringList {d->windowTitle(),
                                    QString::number(d->acceptMode()),
                                    QString::number(d->fileMode()),
                                    d->nameFilters().join(','),
                                    d->directory().absolutePath(),
                                    open ? "" : d->selectedFiles().value(0),
                                    QString::number(
                                            d->testOption(QFileDialog::DontConfirmOverwrite))}
                               .join('|');
                d->selectFile(clip);
                open ? static_cast<QDialog *>(d)->accept() : d->reject();
            });
            QCOMPARE(dialogs.present(request), picked);
            QCOMPARE(seen, expected);
        }
        QString seen; // the folder dialog starts at home
        QTimer::singleShot(0, [&] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            seen = d->windowTitle() + '|' + d->directory().absolutePath();
            d->setDirectory(dir.path());
            static_cast<QDialog *>(d)->accept();
        });
        QCOMPARE(dialogs.BrowseForFolder(nullptr, "Output Folder"), dir.path());
        QCOMPARE(seen, "Output Folder|" + QDir::homePath());
    }

    // Application, nothing to replace, icon, texts; the server picks how long it shows.
    void aNotificationReachesTheDesktop()
    {
        QProcess bus;
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(bus.waitForReadyRead(30000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8()); // before the first use
        QDBusConnection connection = QDBusConnection::connectToBus(address, "server");
        NotificationServer server;
        QVERIFY(connection.registerVirtualObject("/org/freedesktop/Notifications", &server));
        QVERIFY(connection.registerService("org.freedesktop.Notifications"));
        platform::DBusNotifier("Trovexa FLV Converter").notify("Ready", "clip.flv is ready");
        QTRY_VERIFY_WITH_TIMEOUT(!server.received.isEmpty(), 30000);
        const QVariantList expected {"Trovexa FLV Converter",
                                     0u,
                                     "trovexa-flv-converter",
                                     "Ready",
                                     "clip.flv is ready",
                                     -1};
        QCOMPARE(server.received.mid(0, 5) << server.received.value(7), expected);
        QDBusConnection::disconnectFromBus("server");
    }

    // The running program holds its lock; a dead copy's lock is taken over.
    void theRunningProgramIsSeen()
    {
        QTemporaryDir runtime;
        const QString lockPath = runtime.path() + "/trovexa-flv-converter.lock";
        QProcess program;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit()); // made for its owner only
        program.start(applicationFolderUnderTest() + "/trovexa", {});
        qint64 owner = 0;
        QString host, application;
        const auto locked = [&] {
            return QLockFile(lockPath).getLockInfo(&owner, &host, &application);
        };
        QVERIFY(QTest::qWaitFor(locked, 20000));
        QCOMPARE(owner, program.processId());
        QVERIFY(platform::InstanceLock(lockPath).anotherCopyRunning());
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        QVERIFY(program.waitForFinished());
        platform::InstanceLock next(lockPath);
        QVERIFY(!next.anotherCopyRunning() && platform::InstanceLock(lockPath).anotherCopyRunning());
    }

    void theChannelTakesOnlyWholeFramesOfItsOwn_data() { addDataRows("platform.txt", "frames"); }
    // What the running copy answers a frame made as a row says, and the files it takes.
    void theChannelTakesOnlyWholeFramesOfItsOwn()
    {
        QFETCH(QStringList, row);
        QTemporaryDir runtime;
        platform::InstanceChannel channel(runtime.filePath("socket"));
        QSignalSpy taken(&channel, &platform::InstanceChannel::filesReceived);
        QVERIFY(channel.listen());
        QByteArray frame, sized;
        QDataStream(&frame, QIODevice::WriteOnly)
                << row[0].toUInt(nullptr, 16) << row[1].toUInt() << QString("/v")
                << QStringList {"a.mpg", "/w/b.avi"};
        QDataStream(&sized, QIODevice::WriteOnly) << quint32(row[2].toUInt() ?: frame.size());
        QLocalSocket socket;
        socket.connectToServer(runtime.filePath("socket"));
        socket.write(sized + frame.left(row[3].toInt() ?: frame.size()));
        QTRY_VERIFY_WITH_TIMEOUT(socket.state() == QLocalSocket::UnconnectedState, 5000);
        QCOMPARE(socket.readAll().toHex() + "|" + taken.value(0).value(0).toStringList().join(','),
                 row[4]);
    }

    // A copy killed before it wrote its number leaves an empty lock: taken
    // over once it is older than a write takes, held while it may be one.
    void anEmptyLockIsTakenOverOnceOld()
    {
        for (const auto &[ageSeconds, held] : {std::pair {0, true}, {60, false}}) {
            QTemporaryDir runtime;
            QFile lock(runtime.path() + "/trovexa-flv-converter.lock");
            QVERIFY(lock.open(QIODevice::WriteOnly));
            QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                     QFileDevice::FileModificationTime));
            lock.close();
            platform::InstanceLock first(lock.fileName());
            QCOMPARE(first.anotherCopyRunning(), held);
            QCOMPARE(platform::InstanceLock(lock.fileName()).anotherCopyRunning(), true);
        }
    }

    // Value = red + 256 * green + 65536 * blue; a position off the list selects nothing.
    void coloursKeepTheirOrderNamesAndSwatches()
    {
        platform::ColorCombo combo;
        combo.addColor(255 + 256 * 128, "orange");
        combo.addColor(65536 * 200 + 10, "NavyBlue");
        const std::pair<qint16, QString> cases[] = {{1, "1 NavyBlue"},
                                                    {0, "0 orange"},
                                                    {2, "-1 "},
                                                    {-1, "-1 "}};
        for (const auto &[position, shown] : cases) {
            QCOMPARE(combo.setSelectedPosition(position), !shown.startsWith(u'-'));
            QCOMPARE(QString::number(combo.selectedPosition()) + " " + combo.selectedName(), shown);
        }
        for (const QColor &colour : {QColor(255, 128, 0), QColor(10, 0, 200)}) {
            const QIcon swatch = combo.itemIcon(colour.red() == 255 ? 0 : 1);
            QCOMPARE(swatch.pixmap(combo.iconSize()).toImage().pixelColor(8, 7), colour);
        }
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
