// SPDX-License-Identifier: GPL-3.0-or-later
#include "MetadataRun.h"

#include "ChildProcess.h"
#include "FlvFile.h"
#include "Messages.h"
#include "ProgramLookup.h"
#include "TempFiles.h"
#include "media/MediaProbe.h"

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

bool sameState(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
            && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Why the updated file cannot replace the original, or "" when it is whole:
// its size is the one its metadata states and flvmeta finds no error in it.
// Warnings pass: for AAC sound flvmeta warns (W80062) that audiosamplerate
// should be 44100 and stereo true, the values FLV fixes in every AAC tag
// header; the decoder takes the real ones from the stream, and so does the
// metadata.
// signal receives a cancel signal that came meanwhile.
QString incompleteUpdate(const QString &flvmeta, const LockedTemporary &updated, int &signal)
{
    if (!isCompleteFlv(updated.descriptor()))
        return "the updated file is incomplete (disk full?)";
    const ChildOutcome check = runChild(flvmeta, {"--check", "--quiet", updated.path()}, true);
    signal = check.cancelSignal;
    if (!check.started)
        return check.error;
    if (!signal && !takePendingCancel(signal) && check.exitCode != 0)
        return "the updated file does not pass flvmeta's check";
    return {};
}

// flvmeta takes the sound's rate and channels from the tag headers, which
// FLV fixes at 44100 Hz stereo for AAC, and counts the decoder's set-up
// tag as a frame; its duration runs to the last tag's time, past a picture
// that B-frames start late. The fields are set to what the streams hold, as
// a player decodes them. Returns an error text, or "".
QString correctStreamFields(const LockedTemporary &updated)
{
    const std::optional<media::MeasuredStreams> streams = media::measureStreams(updated.path());
    if (!streams)
        return "cannot read the streams of the updated file";
    QList<MetadataField> fields;
    if (streams->duration() > 0)
        fields.append({"duration", streams->duration()});
    if (streams->frameRate > 0)
        fields.append({"framerate", streams->frameRate});
    if (streams->sampleRate > 0) {
        fields.append({"audiosamplerate", double(streams->sampleRate)});
        fields.append({"stereo", streams->channels >= 2});
    }
    if (overwriteMetadata(updated.descriptor(), fields) < 0)
        return "cannot correct the updated file's metadata";
    return {};
}

} // namespace

int runMetadata(const QStringList &arguments)
{
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

    // From here on a cancel is taken where the run can stop cleanly.
    blockCancelSignals();
    const QString folder = QFileInfo(file).absolutePath();
    removeAbandonedTemporaries(folder);
    LockedTemporary updated;
    if (!updated.create(folder, LockedTemporary::Kind::File, ".flv")) {
        reportError(Program, updated.error());
        return FileErrorExitCode;
    }

    // --preserve keeps what the file says about itself (a title, say); the
    // computed fields are refreshed all the same.
    const ChildOutcome outcome = runChild(flvmeta, {"-U", "--preserve", file, updated.path()}, true);
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

    // flvmeta can end with success although its last writes failed (a full
    // disk at the final flush): only a complete, valid file replaces the
    // original.
    QString incomplete = isCompleteFlv(updated.descriptor()) ? correctStreamFields(updated)
                                                             : QString();
    if (incomplete.isEmpty())
        incomplete = incompleteUpdate(flvmeta, updated, signal);
    if (signal) {
        reportError(Program, "cancelled; the file is unchanged");
        return cancelledExitCode(signal);
    }
    if (!incomplete.isEmpty()) {
        reportError(Program, incomplete + "; the file is unchanged");
        return FileErrorExitCode;
    }
    // Another program that still writes the file would lose its work.
    struct stat now = {};
    if (stat(file.toLocal8Bit().constData(), &now) != 0 || !sameState(info, now)) {
        reportError(Program,
                    QString("%1 changed while it was being updated; the file is left as it is")
                            .arg(given.filePath()));
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
