// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstanceLock.h"

#include "FileSystem.h"

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
    return m_lock->error() == QLockFile::LockFailedError;
}

} // namespace platform
