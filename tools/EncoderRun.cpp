#include "EncoderRun.h"

#include "ChildProcess.h"
#include "Messages.h"
#include "ModernArguments.h"
#include "ProgramLookup.h"
#include "ProgressChannel.h"
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
    struct stat first = {};
    struct stat second = {};
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
// not flushed to the disk (that costs more than the grab itself): the move
// only keeps a failed grab from leaving pictures that look complete.
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

// Refuses an output that is the input, or that may not be replaced. Returns
// the reason, or "" when the output is fine.
QString outputProblem(const LegacyCommand &command)
{
    if (isPicturePattern(command.output))
        return {};
    if (sameExistingFile(command.input, command.output))
        return QString("the output %1 is the input file").arg(command.output);
    const QByteArray output = command.output.toLocal8Bit();
    struct stat existing = {};
    if (lstat(output.constData(), &existing) == 0
        && (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0
            || access(output.constData(), W_OK) != 0))
        return QString("the output %1 is read-only or not a file").arg(command.output);
    return {};
}

// Reads the watermark hook, if any. Returns the reason for a refusal, or "".
// drawText stays empty without a hook or with an empty text.
QString prepareWatermark(const LegacyCommand &command,
                         std::optional<DrawText> &drawText,
                         QString &text)
{
    if (!command.hook)
        return {};
    const WatermarkHookParse hook = parseWatermarkHook(*command.hook);
    if (!hook.error.isEmpty())
        return hook.error;
    DrawText resolved;
    const QString error = resolveWatermark(hook.hook, resolved);
    if (!error.isEmpty())
        return error;
    if (!hook.hook.text.isEmpty()) {
        drawText = resolved;
        text = hook.hook.text;
    }
    return {};
}

// Puts the finished output in place of the named output.
bool commitOutput(const LegacyCommand &command, LockedTemporary &written, QString &error)
{
    const QString folder = QFileInfo(command.output).absolutePath();
    if (isPicturePattern(command.output))
        return movePictures(written.path(), folder, error);
    struct stat existing = {};
    const unsigned mode = stat(command.output.toLocal8Bit().constData(), &existing) == 0
            ? unsigned(existing.st_mode & 07777)
            : newFileMode();
    if (written.commitFile(QFileInfo(command.output).absoluteFilePath(), mode))
        return true;
    error = written.error();
    return false;
}

} // namespace

int runEncoder(const QStringList &arguments)
{
    blockCancelSignals();

    const LegacyParse parsed = parseLegacyCommand(arguments);
    const LegacyCommand &command = parsed.command;
    QString refusal = parsed.error;
    if (refusal.isEmpty())
        refusal = outputProblem(command);
    std::optional<DrawText> drawText;
    QString watermarkText;
    if (refusal.isEmpty())
        refusal = prepareWatermark(command, drawText, watermarkText);
    const QString ffmpeg = findOnPath(Program);
    if (refusal.isEmpty() && ffmpeg.isEmpty())
        refusal = "the system ffmpeg was not found on PATH";
    if (!refusal.isEmpty()) {
        reportError(Program, refusal);
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

    const bool pictures = isPicturePattern(command.output);
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

    const ChildOutcome outcome
            = runChild(ffmpeg,
                       progressArguments() + modernArguments(command, drawText, writtenOutput));
    if (!outcome.started || outcome.cancelSignal || outcome.exitCode != 0)
        return finish(outcome);
    int signal = 0;
    if (takePendingCancel(signal))
        return finish(ChildOutcome {true, 0, signal, {}});

    QString error;
    if (!commitOutput(command, written, error)) {
        reportError(Program, error);
        return FileErrorExitCode;
    }
    return 0;
}

} // namespace tools
