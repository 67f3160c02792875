#include "ProgramLookup.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace tools {

namespace {

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

QString findOnPath(const QString &name)
{
    struct stat self = {};
    const bool haveSelf = stat("/proc/self/exe", &self) == 0;

    const QStringList folders = QString::fromLocal8Bit(qgetenv("PATH")).split(u':');
    for (QString folder : folders) {
        if (folder.isEmpty())
            folder = "."; // an empty PATH entry means the current folder
        const QString candidate = QDir(folder).absoluteFilePath(name);
        const QByteArray path = candidate.toLocal8Bit();
        struct stat info = {};
        if (stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode)
            || access(path.constData(), X_OK) != 0)
            continue;
        if (haveSelf && sameFile(info, self))
            continue;
        return candidate;
    }
    return {};
}

} // namespace tools
