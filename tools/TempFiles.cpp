// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tools {

namespace {

constexpr auto Prefix = ".trvx-tmp-";

QString systemError()
{
    return QString::fromLocal8Bit(strerror(errno));
}

bool stillNamed(const QByteArray &path, int fd)
{
    struct stat byName = {};
    struct stat byFd = {};
    return stat(path.constData(), &byName) == 0 && fstat(fd, &byFd) == 0
            && byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino;
}

void removePath(const QString &path)
{
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
        QDir(path).removeRecursively();
    else
        ::unlink(path.toLocal8Bit().constData());
}

} // namespace

LockedTemporary::~LockedTemporary()
{
    remove();
}

bool LockedTemporary::create(const QString &folder, Kind kind, const QString &suffix)
{
    remove();
    m_kind = kind;
    const QString base = QDir(folder).absoluteFilePath(Prefix);
    // A run that removes abandoned temporaries may take a fresh one between
    // its creation and its lock; then it is gone or locked, and we try again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        QByteArray name = (base + "XXXXXX" + (kind == Kind::File ? suffix : QString())).toLocal8Bit();
        int fd = -1;
        if (kind == Kind::File) {
            fd = mkostemps(name.data(), int(suffix.toLocal8Bit().size()), O_CLOEXEC);
        } else if (mkdtemp(name.data())) {
            fd = open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        if (fd < 0) {
            m_error = QString("cannot create a temporary file in %1: %2").arg(folder, systemError());
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(name, fd)) {
            m_fd = fd;
            m_path = QString::fromLocal8Bit(name);
            return true;
        }
        close(fd);
    }
    m_error = QString("cannot lock a temporary file in %1").arg(folder);
    return false;
}

bool LockedTemporary::commitFile(const QString &target, unsigned mode)
{
    if (m_fd < 0 || m_kind != Kind::File) {
        m_error = "nothing to commit";
        return false;
    }
    if (fchmod(m_fd, mode) != 0 || fsync(m_fd) != 0) {
        m_error = QString("cannot write %1: %2").arg(m_path, systemError());
        return false;
    }
    if (::rename(m_path.toLocal8Bit().constData(), target.toLocal8Bit().constData()) != 0) {
        m_error = QString("cannot replace %1: %2").arg(target, systemError());
        return false;
    }
    close(m_fd);
    m_fd = -1;
    m_path.clear();
    syncFolder(QFileInfo(target).absolutePath());
    return true;
}

void LockedTemporary::remove()
{
    if (!m_path.isEmpty())
        removePath(m_path); // still locked while it goes
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_path.clear();
}

void removeAbandonedTemporaries(const QString &folder)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(Prefix) + R"([A-Za-z0-9]{6}(\.[A-Za-z0-9]{1,8})?)"));
    const QDir dir(folder);
    const QStringList names = dir.entryList({QString(Prefix) + "*"},
                                            QDir::Files | QDir::Dirs | QDir::Hidden
                                                    | QDir::NoDotAndDotDot | QDir::System);
    for (const QString &name : names) {
        if (!pattern.match(name).hasMatch())
            continue;
        const QString path = dir.absoluteFilePath(name);
        const QByteArray local = path.toLocal8Bit();
        const int fd = open(local.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(local, fd))
            removePath(path);
        close(fd);
    }
}

bool syncFolder(const QString &folder)
{
    const int fd = open(folder.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

unsigned newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace tools
