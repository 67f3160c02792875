// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrontEnd.h"

#include "Messages.h"

#include <QStringDecoder>

#include <csignal>

namespace tools {

namespace {

// An ignored SIGCHLD makes the system reap children itself, so waiting for
// one never ends; ignored SIGINT or SIGTERM would make cancelling
// impossible. A blocked signal is blocked in every child, too.
void resetInheritedSignals()
{
    for (const int s : {SIGCHLD, SIGINT, SIGTERM})
        std::signal(s, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

} // namespace

int runFrontEnd(const char *program, int argc, char **argv, int (*run)(const QStringList &))
{
    resetInheritedSignals();
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString argument = decoder.decode(QByteArrayView(argv[i]));
        if (decoder.hasError()) {
            reportError(program,
                        QString("argument %1 is not valid UTF-8: %2")
                                .arg(i)
                                .arg(QString::fromLatin1(QByteArray(argv[i]).toPercentEncoding())));
            return RefusedExitCode;
        }
        arguments.append(argument);
    }
    return run(arguments);
}

} // namespace tools
