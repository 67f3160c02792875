#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// How a child process ended, as far as the program can tell.
struct ChildOutcome
{
    enum class Kind {
        Exited, // ended normally; exitCode holds its code
        StartFailed, // never ran; systemError holds the errno value
        Crashed, // killed by a signal
        ExitCodeUnknown // ended, but its exit code could not be read
    };

    Kind kind = Kind::ExitCodeUnknown;
    int exitCode = 0;
    int systemError = 0;
    qint64 processId = 0;
};

// Runs one child process to its end. The child gets no standard input and
// its output goes to the program's own standard error. While it runs the
// program keeps painting but takes no user input.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;
    virtual ChildOutcome runToEnd(const QString &program, const QStringList &arguments) = 0;
};

} // namespace platform
