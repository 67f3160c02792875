// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstanceLock.h"

#include "FileSystem.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>

namespace platform {

InstanceLock::InstanceLock(QString lockPath)
    : m_path(std::move(lockPath))
{ }

InstanceLock::~InstanceLock() = default;

QString InstanceLock::defaultLockPath()
{
    return userRuntimeFile("trovexa-flv-converter.lock");
}

bool InstanceLock::anotherCopyRunning()
{
    if (m_lock && m_lock->isLocked())
        return false;
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // a lock is stale only when its owner is gone
    if (m_lock->tryLock(0))
        return false;
    if (m_lock->error() == QLockFile::LockFailedError && leftHalfWritten()) {
        m_lock->removeStaleLockFile();
        if (m_lock->tryLock(0))
            return false;
    }
    return m_lock->error() == QLockFile::LockFailedError;
}

// A copy killed between creating its lock and writing its number into it
// leaves a lock that names no owner; once it is older than any write
// takes, nobody holds it.
bool InstanceLock::leftHalfWritten() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (m_lock->getLockInfo(&pid, &host, &application))
        return false;
    const QDateTime written = QFileInfo(m_path).lastModified();
    return written.isValid() && written.msecsTo(QDateTime::currentDateTime()) > HalfWrittenAge;
}

} // namespace platform
