#include "EncoderRun.h"

#include "ChildProcess.h"
#include "Messages.h"
#include "ModernArguments.h"
#include "ProgramLookup.h"
#include "TempFiles.h"
#include "WatermarkHook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tools {

namespace {

constexpr auto Program = "ffmpeg";

bool sameExistingFile(const QString &a, const QString &b)
{
    struct stat first
    { };
    struct stat second
    { };
    return stat(a.toLocal8Bit().constData(), &first) == 0
            && stat(b.toLocal8Bit().constData(), &second) == 0 && first.st_dev == second.st_dev
            && first.st_ino == second.st_ino;
}

// Reads the hook's colour table and checks its font; fills drawText except
// the text file. Returns an error text, or "" when all is well.
QString resolveWatermark(const WatermarkHook &hook, DrawText &drawText)
{
    QFile table(hook.colourTable);
    if (!table.open(QIODevice::ReadOnly))
        return QString("cannot read the colour table %1").arg(hook.colourTable);
    const std::optional<Rgb> colour = lookUpColour(table.readAll(), hook.colourName);
    if (!colour)
        return QString("unknown colour \"%1\" (not in %2)").arg(hook.colourName, hook.colourTable);
    const QFileInfo font(hook.fontFile);
    if (!font.isFile() || !font.isReadable())
        return QString("font file not found: %1").arg(hook.fontFile);

    drawText.fontFile = font.absoluteFilePath();
    drawText.fontSize = hook.fontSize;
    drawText.colour = *colour;
    drawText.alpha = hook.alpha;
    drawText.left = hook.left;
    drawText.top = hook.top;
    return {};
}

QString temporarySuffix(const QString &output)
{
    static const QRegularExpression plain(R"(^[A-Za-z0-9]{1,8}$)");
    const QString suffix = QFileInfo(output).suffix();
    return plain.match(suffix).hasMatch() ? "." + suffix : QString();
}

bool writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Moves every picture of a finished picture sequence into the output folder.
// The pictures are small and can be made again from the video, so they are
// not flushed one by one (that costs more than the grab itself); only the
// folder is flushed once they are all in place.
bool movePictures(const QString &from, const QString &to, QString &error)
{
    const QDir source(from);
    const mode_t mode = newFileMode();
    for (const QString &name : source.entryList(QDir::Files | QDir::Hidden)) {
        const QByteArray path = source.absoluteFilePath(name).toLocal8Bit();
        ::chmod(path.constData(), mode);
        const QString target = QDir(to).absoluteFilePath(name);
        if (::rename(path.constData(), target.toLocal8Bit().constData()) != 0) {
            error = QString("cannot write %1").arg(target);
            return false;
        }
    }
    syncFolder(to);
    return true;
}

int finish(const ChildOutcome &outcome)
{
    if (!outcome.started) {
        reportError(Program, outcome.error);
        return RefusedExitCode;
    }
    if (outcome.cancelSignal) {
        reportError(Program, "cancelled; nothing was written");
        return cancelledExitCode(outcome.cancelSignal);
    }
    return outcome.exitCode;
}

} // namespace

int runEncoder(const QStringList &arguments)
{
    blockCancelSignals();

    const LegacyParse parsed = parseLegacyCommand(arguments);
    if (!parsed.error.isEmpty()) {
        reportError(Program, parsed.error);
        return RefusedExitCode;
    }
    const LegacyCommand &command = parsed.command;
    const bool pictures = isPicturePattern(command.output);
    if (!pictures && sameExistingFile(command.input, command.output)) {
        reportError(Program, QString("the output %1 is the input file").arg(command.output));
        return RefusedExitCode;
    }
    if (!pictures) {
        // An existing output is replaced only when it could be overwritten.
        const QByteArray output = command.output.toLocal8Bit();
        struct stat existing
        { };
        if (lstat(output.constData(), &existing) == 0
            && (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0
                || access(output.constData(), W_OK) != 0)) {
            reportError(Program,
                        QString("the output %1 is read-only or not a file").arg(command.output));
            return RefusedExitCode;
        }
    }

    std::optional<DrawText> drawText;
    QString watermarkText;
    if (command.hook) {
        const WatermarkHookParse hook = parseWatermarkHook(*command.hook);
        if (!hook.error.isEmpty()) {
            reportError(Program, hook.error);
            return RefusedExitCode;
        }
        DrawText resolved;
        const QString error = resolveWatermark(hook.hook, resolved);
        if (!error.isEmpty()) {
            reportError(Program, error);
            return RefusedExitCode;
        }
        if (!hook.hook.text.isEmpty()) {
            drawText = resolved;
            watermarkText = hook.hook.text;
        }
    }

    const QString ffmpeg = findOnPath(Program);
    if (ffmpeg.isEmpty()) {
        reportError(Program, "the system ffmpeg was not found on PATH");
        return RefusedExitCode;
    }

    const QString folder = QFileInfo(command.output).absolutePath();
    removeAbandonedTemporaries(folder);

    LockedTemporary textFile;
    if (drawText) {
        if (!textFile.create(folder, LockedTemporary::Kind::File, ".txt")
            || !writeAll(textFile.descriptor(), watermarkText.toUtf8())) {
            reportError(Program,
                        textFile.error().isEmpty() ? "cannot write the watermark text"
                                                   : textFile.error());
            return FileErrorExitCode;
        }
        drawText->textFile = textFile.path();
    }

    LockedTemporary written;
    const bool created = pictures
            ? written.create(folder, LockedTemporary::Kind::Folder)
            : written.create(folder, LockedTemporary::Kind::File, temporarySuffix(command.output));
    if (!created) {
        reportError(Program, written.error());
        return FileErrorExitCode;
    }
    const QString writtenOutput = pictures
            ? QDir(written.path()).absoluteFilePath(QFileInfo(command.output).fileName())
            : written.path();

    const ChildOutcome outcome = runChild(ffmpeg, modernArguments(command, drawText, writtenOutput));
    if (!outcome.started || outcome.cancelSignal || outcome.exitCode != 0)
        return finish(outcome);

    int signal = 0;
    if (takePendingCancel(signal))
        return finish(ChildOutcome {true, 0, signal, {}});

    if (pictures) {
        QString error;
        if (!movePictures(written.path(), folder, error)) {
            reportError(Program, error);
            return FileErrorExitCode;
        }
        return 0;
    }

    struct stat existing
    { };
    const unsigned mode = stat(command.output.toLocal8Bit().constData(), &existing) == 0
            ? unsigned(existing.st_mode & 07777)
            : newFileMode();
    if (!written.commitFile(QFileInfo(command.output).absoluteFilePath(), mode)) {
        reportError(Program, written.error());
        return FileErrorExitCode;
    }
    return 0;
}

} // namespace tools
