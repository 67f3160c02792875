#include "FileSystem.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileKind probeProgramFile(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return FileKind::Missing;
    const QByteArray native = QFile::encodeName(path);
    return ::access(native.constData(), X_OK) == 0 ? FileKind::Executable : FileKind::File;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat first
    { };
    struct stat second
    { };
    if (::stat(QFile::encodeName(a).constData(), &first) != 0
        || ::stat(QFile::encodeName(b).constData(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
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
