#include "MetadataRun.h"

#include "ChildProcess.h"
#include "Messages.h"
#include "ProgramLookup.h"
#include "TempFiles.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace tools {

namespace {

constexpr auto Program = "flvmdi";

// What flvmeta's exit codes mean.
QString flvmetaFailure(int code)
{
    switch (code) {
    case 1:
        return "cannot open the file";
    case 2:
        return "not an FLV file";
    case 3:
        return "the file ends too early (truncated)";
    case 6:
    case 8:
        return "cannot write the updated file (disk full?)";
    case 7:
        return "the file holds an invalid tag";
    default:
        return QString("flvmeta failed with exit code %1").arg(code);
    }
}

} // namespace

int runMetadata(const QStringList &arguments)
{
    blockCancelSignals();

    if (arguments.size() != 1 || arguments.first().isEmpty()) {
        reportError(Program, "usage: flvmdi <file.flv>");
        return RefusedExitCode;
    }
    const QFileInfo given(arguments.first());
    // Work on the file itself, not on a link to it: the rename replaces
    // what it names.
    const QString file = given.canonicalFilePath();
    struct stat info = {};
    if (file.isEmpty() || stat(file.toLocal8Bit().constData(), &info) != 0) {
        reportError(Program, QString("%1: no such file").arg(given.filePath()));
        return RefusedExitCode;
    }
    if (!S_ISREG(info.st_mode)) {
        reportError(Program, QString("%1: not a regular file").arg(given.filePath()));
        return RefusedExitCode;
    }
    // A file without write permission stays untouched, also for root.
    if (access(file.toLocal8Bit().constData(), R_OK | W_OK) != 0 || (info.st_mode & 0222) == 0) {
        reportError(Program, QString("%1: the file is read-only").arg(given.filePath()));
        return RefusedExitCode;
    }

    const QString flvmeta = findOnPath("flvmeta");
    if (flvmeta.isEmpty()) {
        reportError(Program, "the system flvmeta was not found on PATH");
        return RefusedExitCode;
    }

    const QString folder = QFileInfo(file).absolutePath();
    removeAbandonedTemporaries(folder);
    LockedTemporary updated;
    if (!updated.create(folder, LockedTemporary::Kind::File, ".flv")) {
        reportError(Program, updated.error());
        return FileErrorExitCode;
    }

    const ChildOutcome outcome = runChild(flvmeta, {"-U", file, updated.path()}, true);
    if (!outcome.started) {
        reportError(Program, outcome.error);
        return FileErrorExitCode;
    }
    int signal = outcome.cancelSignal;
    if (signal || takePendingCancel(signal)) {
        reportError(Program, "cancelled; the file is unchanged");
        return cancelledExitCode(signal);
    }
    if (outcome.exitCode != 0) {
        reportError(Program,
                    QString("%1: %2; the file is unchanged")
                            .arg(given.filePath(), flvmetaFailure(outcome.exitCode)));
        return outcome.exitCode;
    }

    struct stat result = {};
    if (fstat(updated.descriptor(), &result) != 0 || result.st_size == 0) {
        reportError(Program, "flvmeta wrote nothing; the file is unchanged");
        return FileErrorExitCode;
    }
    // Keep the owner where we may (root); the mode always.
    if (fchown(updated.descriptor(), info.st_uid, info.st_gid) != 0) {
        // not permitted for other users: the file then belongs to us
    }
    if (!updated.commitFile(file, unsigned(info.st_mode & 07777))) {
        reportError(Program, updated.error() + "; the file is unchanged");
        return FileErrorExitCode;
    }
    return 0;
}

} // namespace tools
