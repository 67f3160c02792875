// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcessControl.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <unistd.h>

namespace platform {

int startError(const QString &program)
{
    QString path = program;
    if (!program.contains(u'/')) {
        path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            return ENOENT;
    }
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), X_OK) != 0)
        return errno;
    if (QFileInfo(path).isDir())
        return EACCES;
    return 0;
}

int errorFromText(const QString &text)
{
    for (int code = 1; code < 200; ++code) {
        const QString description = QString::fromLocal8Bit(std::strerror(code));
        if (!description.isEmpty() && text.endsWith(description))
            return code;
    }
    return ENOEXEC;
}

void stopChild(QProcess &child, const StopSteps &steps)
{
    if (child.state() == QProcess::NotRunning)
        return;
    if (steps.quitRequest.isEmpty())
        child.terminate();
    else
        child.write(steps.quitRequest);
    const QPointer<QProcess> process(&child);
    QTimer::singleShot(steps.terminateAfterMs, &child, [process] {
        if (process->state() != QProcess::NotRunning)
            process->terminate();
    });
    QTimer::singleShot(steps.terminateAfterMs + steps.killAfterMs, &child, [process] {
        if (process->state() != QProcess::NotRunning)
            process->kill();
    });
}

void finishChild(QProcess &child, const StopSteps &steps)
{
    if (child.state() == QProcess::NotRunning || child.waitForFinished(steps.terminateAfterMs))
        return;
    child.terminate();
    if (!child.waitForFinished(steps.killAfterMs)) {
        child.kill();
        child.waitForFinished(steps.killAfterMs);
    }
}

} // namespace platform

namespace platform {

bool processExists(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

void endWithParent(QProcess &child)
{
    const pid_t parent = ::getpid();
    child.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) // the parent died before the line above
            ::raise(SIGTERM);
    });
}

} // namespace platform
