// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace platform {

// Tells whether another copy of the program is already running.
class InstanceQuery
{
public:
    virtual ~InstanceQuery() = default;
    // True when another running copy holds the program's lock. Otherwise
    // this copy takes the lock and holds it until it ends.
    virtual bool anotherCopyRunning() = 0;
};

// A lock file per user. The lock of a copy that died is taken over.
class InstanceLock : public InstanceQuery
{
public:
    explicit InstanceLock(QString lockPath = defaultLockPath());
    ~InstanceLock() override;

    bool anotherCopyRunning() override;

    static QString defaultLockPath();

private:
    static constexpr qint64 HalfWrittenAge = 5000; // ms
    bool leftHalfWritten() const;

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace platform
