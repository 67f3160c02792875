// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    struct stat status
    { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity(quint64(status.st_dev), quint64(status.st_ino));
}

bool sameFile(const QString &a, const QString &b)
{
    const std::optional<FileIdentity> first = fileIdentity(a);
    return first && first == fileIdentity(b);
}

SmallFile readSmallFile(const QString &path, qint64 maxBytes)
{
    SmallFile file;
    // Non-blocking, so that a pipe without a writer cannot hold us up.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        file.problem = QString::fromLocal8Bit(std::strerror(errno));
        return file;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        file.problem = "not a regular file";
        return file;
    }
    QFile reader;
    reader.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    file.bytes = reader.read(maxBytes + 1);
    if (reader.error() != QFileDevice::NoError) {
        file.problem = reader.errorString();
        file.bytes.clear();
    } else if (file.bytes.size() > maxBytes) {
        file.problem = QString("larger than %1 bytes").arg(maxBytes);
        file.bytes.clear();
    }
    return file;
}

QString ApplicationFolder()
{
    return QCoreApplication::applicationDirPath();
}

bool isWritableFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    return !path.isEmpty() && ::access(native.constData(), W_OK | X_OK) == 0;
}

QString userCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/trovexa";
}

QString userRuntimeFile(const QString &name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + "/" + name;
}

QString GetWindowsFolder()
{
    return "/usr/share";
}

QString ShortPath(const QString &path)
{
    return path;
}

QString SystemErrorText(quint32 code)
{
    if (code > 0x7fffffff)
        return {};
    // strerrordesc_np answers nullptr for numbers the system does not know,
    // where strerror would invent an "Unknown error" text.
    const char *text = ::strerrordesc_np(static_cast<int>(code));
    if (!text)
        return {};
    QString result = QString::fromLocal8Bit(text);
    while (result.endsWith(u'\n') || result.endsWith(u'\r'))
        result.chop(1);
    return result;
}

} // namespace platform
