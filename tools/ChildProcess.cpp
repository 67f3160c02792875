// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tools {

namespace {

sigset_t cancelSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&set, s);
    return set;
}

int outcomeCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 1;
}

// Waits at most ms for the child to end; true when it has.
bool reap(pid_t pid, int ms, int &status)
{
    const timespec step {0, 20 * 1000 * 1000};
    for (int waited = 0;; waited += 20) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return true;
        if (waited >= ms)
            return false;
        nanosleep(&step, nullptr);
    }
}

} // namespace

void blockCancelSignals()
{
    sigset_t set = cancelSignals();
    sigaddset(&set, SIGCHLD);
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

bool takePendingCancel(int &signal)
{
    const sigset_t set = cancelSignals();
    const timespec now {0, 0};
    const int taken = sigtimedwait(&set, nullptr, &now);
    if (taken <= 0)
        return false;
    signal = taken;
    return true;
}

ChildOutcome runChild(const QString &program,
                      const QStringList &arguments,
                      bool discardErrors,
                      int graceMs,
                      const QString &workingFolder)
{
    ChildOutcome outcome;

    // Everything the child needs is prepared before vfork: after it, only
    // plain system calls.
    const QByteArray path = program.toLocal8Bit();
    const QByteArray folder = workingFolder.toLocal8Bit();
    std::vector<QByteArray> storage;
    storage.reserve(arguments.size() + 1);
    storage.push_back(path);
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        outcome.error = QString::fromLocal8Bit(strerror(errno));
        return outcome;
    }

    // vfork: no copy of the front-end's memory for a child that only sets
    // itself up with plain system calls and runs exec.
    const pid_t parent = getpid();
    const pid_t pid = vfork();
    if (pid < 0) {
        outcome.error = QString::fromLocal8Bit(strerror(errno));
        close(errorPipe[0]);
        close(errorPipe[1]);
        return outcome;
    }
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            if (discardErrors)
                dup2(null, STDERR_FILENO);
            if (null != STDIN_FILENO && null != STDERR_FILENO)
                close(null);
        }
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (folder.isEmpty() || chdir(folder.constData()) == 0)
            execv(argv[0], argv.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t written = write(errorPipe[1], &error, sizeof error);
        _exit(127);
    }

    close(errorPipe[1]);
    int execError = 0;
    ssize_t got;
    do {
        got = read(errorPipe[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    close(errorPipe[0]);
    if (got == sizeof execError) {
        int status = 0;
        waitpid(pid, &status, 0);
        outcome.error = QString("cannot start %1: %2")
                                .arg(program, QString::fromLocal8Bit(strerror(execError)));
        return outcome;
    }
    outcome.started = true;

    sigset_t waitFor = cancelSignals();
    sigaddset(&waitFor, SIGCHLD);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            outcome.exitCode = outcomeCode(status);
            return outcome;
        }
        if (done < 0 && errno != EINTR) {
            const int error = errno;
            kill(pid, SIGKILL);
            outcome.started = false;
            outcome.error = QString("lost track of %1: %2")
                                    .arg(program, QString::fromLocal8Bit(strerror(error)));
            return outcome;
        }
        const timespec tick {0, 200 * 1000 * 1000};
        const int taken = sigtimedwait(&waitFor, nullptr, &tick);
        if (taken > 0 && taken != SIGCHLD) {
            outcome.cancelSignal = taken;
            break;
        }
    }

    // Cancelled: ask the child to stop, then make it stop.
    kill(pid, SIGTERM);
    if (!reap(pid, graceMs, status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    outcome.exitCode = outcomeCode(status);
    return outcome;
}

} // namespace tools
