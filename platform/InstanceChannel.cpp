// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstanceChannel.h"

#include "FileSystem.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

namespace platform {

namespace {

constexpr quint32 Magic = 0x54525658; // "TRVX"
constexpr quint32 Version = 1;
constexpr int ReadTimeoutMs = 2000;
constexpr qint32 Taken = 0;
constexpr qint32 Refused = 1;

} // namespace

InstanceChannel::InstanceChannel(QString name, QObject *parent)
    : QObject(parent)
    , m_name(std::move(name))
{ }

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::defaultName()
{
    return userRuntimeFile("trovexa-flv-converter.socket");
}

bool InstanceChannel::listen()
{
    if (m_server)
        return m_server->isListening();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_name);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::accept);
    return m_server->listen(m_name);
}

void InstanceChannel::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        // A sender that never completes its frame is dropped.
        QTimer::singleShot(ReadTimeoutMs, socket, [socket] { socket->abort(); });
        read(socket);
    }
}

void InstanceChannel::read(QLocalSocket *socket)
{
    const auto answer = [socket](qint32 code) {
        QDataStream out(socket);
        out << code;
        socket->flush();
        socket->disconnectFromServer();
    };
    if (socket->bytesAvailable() < qint64(sizeof(quint32)))
        return;
    QDataStream peek(socket->peek(sizeof(quint32)));
    quint32 size = 0;
    peek >> size;
    if (size > MaxFrameBytes)
        return answer(Refused);
    if (socket->bytesAvailable() < qint64(sizeof(quint32)) + size)
        return;
    socket->read(sizeof(quint32));
    QDataStream in(socket->read(size));
    quint32 magic = 0, version = 0;
    QString folder;
    QStringList files;
    in >> magic >> version >> folder >> files;
    if (in.status() != QDataStream::Ok || magic != Magic || version != Version)
        return answer(Refused);
    for (QString &file : files)
        file = QDir(folder).absoluteFilePath(file);
    answer(Taken);
    Q_EMIT filesReceived(files);
}

bool InstanceChannel::handOver(const QString &name,
                               const QStringList &files,
                               const QString &folder,
                               int timeoutMs)
{
    QByteArray frame;
    {
        QDataStream out(&frame, QIODevice::WriteOnly);
        out << Magic << Version << folder << files;
    }
    if (frame.size() > MaxFrameBytes)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running copy may still be starting: try again until the deadline.
    for (;;) {
        socket.connectToServer(name);
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    QByteArray sized;
    {
        QDataStream out(&sized, QIODevice::WriteOnly);
        out << quint32(frame.size());
    }
    socket.write(sized + frame);
    if (!socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime()))))
        return false;
    while (socket.bytesAvailable() < qint64(sizeof(qint32))) {
        if (deadline.hasExpired()
            || !socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    QDataStream in(&socket);
    qint32 code = Refused;
    in >> code;
    return code == Taken;
}

} // namespace platform
