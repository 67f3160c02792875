// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace platform {

// Hands the files of a second start to the copy that runs already. The
// running copy listens on a local socket in the user's runtime folder (only
// that user may connect); a second start sends one frame with its working
// folder and its files and waits for the answer.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    // The largest frame a copy takes.
    static constexpr qint64 MaxFrameBytes = 64 * 1024;

    explicit InstanceChannel(QString name = defaultName(), QObject *parent = nullptr);
    ~InstanceChannel() override;

    // The socket of this user's running copy.
    static QString defaultName();

    // Listens as the running copy, in place of whatever a copy that died
    // left there (call it only while holding the program's lock). False
    // when listening fails.
    bool listen();

    // From a second start: sends files (relative ones are taken in folder)
    // and waits at most timeoutMs for the running copy to take them. True
    // when it took them.
    static bool handOver(const QString &name,
                         const QStringList &files,
                         const QString &folder,
                         int timeoutMs = 5000);

Q_SIGNALS:
    // Files a second start handed over, as absolute paths.
    void filesReceived(const QStringList &files);

private:
    void accept();
    void read(QLocalSocket *socket);

    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace platform
