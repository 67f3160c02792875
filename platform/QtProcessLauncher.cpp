#include "QtProcessLauncher.h"

#include "InputBlocker.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

// The errno value exec would report for this program, or 0 when it looks
// startable. QProcess reports start failures only as text, so the common
// causes are found here first.
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

// Recovers the errno value from the text QProcess gives for a failed exec
// ("execve: Exec format error"); falls back to ENOEXEC.
int errorFromText(const QString &text)
{
    for (int code = 1; code < 200; ++code) {
        const QString description = QString::fromLocal8Bit(std::strerror(code));
        if (!description.isEmpty() && text.endsWith(description))
            return code;
    }
    return ENOEXEC;
}

ChildOutcome startFailure(int error)
{
    ChildOutcome outcome;
    outcome.kind = ChildOutcome::Kind::StartFailed;
    outcome.systemError = error;
    return outcome;
}

} // namespace

ChildOutcome QtProcessLauncher::runToEnd(const QString &program, const QStringList &arguments)
{
    if (const int error = startError(program))
        return startFailure(error);

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    // Both output channels of the child end up on our standard error.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setChildProcessModifier([] { ::dup2(STDERR_FILENO, STDOUT_FILENO); });

    InputBlocker blocker;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });

    process.start();
    if (!process.waitForStarted(-1))
        return startFailure(errorFromText(process.errorString()));

    ChildOutcome outcome;
    outcome.processId = process.processId();
    if (process.state() != QProcess::NotRunning)
        loop.exec();

    if (process.state() != QProcess::NotRunning) {
        // The loop ended early (application quitting): do not leave an orphan.
        process.kill();
        process.waitForFinished(-1);
        outcome.kind = ChildOutcome::Kind::Crashed;
        return outcome;
    }
    if (process.exitStatus() == QProcess::CrashExit) {
        outcome.kind = ChildOutcome::Kind::Crashed;
        return outcome;
    }
    outcome.kind = ChildOutcome::Kind::Exited;
    outcome.exitCode = process.exitCode();
    return outcome;
}

} // namespace platform
