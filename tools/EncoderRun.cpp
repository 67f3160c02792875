// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncoderRun.h"

#include "ChildProcess.h"
#include "FlvFile.h"
#include "Messages.h"
#include "ModernArguments.h"
#include "ProgramLookup.h"
#include "ProgressChannel.h"
#include "TempFiles.h"
#include "WatermarkHook.h"
#include "media/MediaProbe.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <sys/stat.h>
#include <unistd.h>

namespace tools {

namespace {

constexpr auto Program = "ffmpeg";
// The X11 table is 17 KB; anything far larger is no colour table.
constexpr qint64 MaxColourTableBytes = 1024 * 1024;
// The names ffmpeg gives the pictures in their temporary folder.
constexpr auto PictureFiles = "picture%d.jpg";

// Whether FreeType, which draws the watermark, takes the file for a font.
bool isFontFile(const QString &path)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face = nullptr;
    const bool font = FT_New_Face(library, path.toLocal8Bit().constData(), 0, &face) == 0;
    if (font)
        FT_Done_Face(face);
    FT_Done_FreeType(library);
    return font;
}

// Reads the hook's colour table and checks its font; fills drawText except
// the text file. Returns an error text, or "" when all is well.
QString resolveWatermark(const WatermarkHook &hook, DrawText &drawText)
{
    const platform::SmallFile table = platform::readSmallFile(hook.colourTable, MaxColourTableBytes);
    if (!table.problem.isEmpty())
        return QString("cannot read the colour table %1: %2").arg(hook.colourTable, table.problem);
    const std::optional<Rgb> colour = lookUpColour(table.bytes, hook.colourName);
    if (!colour)
        return QString("unknown colour \"%1\" (not in %2)").arg(hook.colourName, hook.colourTable);
    const QFileInfo font(hook.fontFile);
    if (!font.isFile() || !font.isReadable())
        return QString("font file not found: %1").arg(hook.fontFile);
    if (!isFontFile(font.absoluteFilePath()))
        return QString("%1 is not a font file").arg(hook.fontFile);

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

// Whether a JPEG file ends with its end-of-image marker, as a completely
// written one does.
bool isCompleteJpeg(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() >= 4 && file.seek(file.size() - 2)
            && file.read(2) == QByteArray("\xff\xd9", 2);
}

// Refuses a file to be written that is the input, or that may not be
// replaced. Returns the reason, or "" when it is fine.
QString targetProblem(const QString &input, const QString &target)
{
    if (platform::sameFile(input, target))
        return QString("the output %1 is the input file").arg(target);
    const QByteArray output = target.toLocal8Bit();
    struct stat existing = {};
    if (lstat(output.constData(), &existing) == 0
        && (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0
            || access(output.constData(), W_OK) != 0))
        return QString("the output %1 is read-only or not a file").arg(target);
    return {};
}

// Moves every picture of a finished picture sequence into the output folder,
// under the names the pattern gives them: all of them, or none when one
// cannot go there. The pictures are small and can be made again from the
// video, so they are not flushed to the disk (that costs more than the grab
// itself): the move only keeps a failed grab from leaving pictures that look
// complete.
bool movePictures(const QString &from, const LegacyCommand &command, QString &error)
{
    static const QRegularExpression written(QRegularExpression::anchoredPattern(
            QString(PictureFiles).replace("%d", R"((\d{1,12}))").replace(".", R"(\.)")));
    const QDir source(from);
    const QFileInfo output(command.output);
    QList<QPair<QByteArray, QByteArray>> moves;
    for (const QString &name : source.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch picture = written.match(name);
        if (!picture.hasMatch())
            continue;
        if (!isCompleteJpeg(source.absoluteFilePath(name))) {
            error = "a picture is incomplete (disk full?); no picture was written";
            return false;
        }
        const QString target = QDir(output.absolutePath())
                                       .absoluteFilePath(
                                               pictureName(output.fileName(),
                                                           picture.captured(1).toLongLong()));
        error = targetProblem(command.input, target);
        if (!error.isEmpty())
            return false;
        moves.append({source.absoluteFilePath(name).toLocal8Bit(), target.toLocal8Bit()});
    }
    const mode_t mode = newFileMode();
    for (qsizetype i = 0; i < moves.size(); ++i) {
        ::chmod(moves[i].first.constData(), mode);
        if (::rename(moves[i].first.constData(), moves[i].second.constData()) != 0) {
            error = QString("cannot write %1: %2")
                            .arg(QString::fromLocal8Bit(moves[i].second),
                                 QString::fromLocal8Bit(strerror(errno)));
            for (qsizetype done = 0; done < i; ++done)
                ::unlink(moves[done].second.constData());
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

// Refuses an input that is a pipe, a device or a folder: ffmpeg would wait
// for it or read it without end. A missing input is ffmpeg's to report.
QString inputProblem(const QString &input)
{
    struct stat info = {};
    if (stat(input.toLocal8Bit().constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return QString("%1: not a regular file").arg(input);
    return {};
}

// What the encoder converts of the input: the picture and the sound a
// player plays, and the input's title.
SourceStreams sourceStreams(const QString &input)
{
    const std::optional<media::MediaInfo> info = media::probeMedia(input);
    if (!info)
        return {};
    return {info->videoStream, info->audioStream, info->title};
}

// Refuses an output that is the input, or that may not be replaced. Returns
// the reason, or "" when the output is fine.
QString outputProblem(const LegacyCommand &command)
{
    // The longest name a picture can get: a number of twelve digits.
    const QFileInfo output(command.output);
    const QByteArray name = (isPicturePattern(command.output)
                                     ? pictureName(output.fileName(), 999999999999)
                                     : output.fileName())
                                    .toLocal8Bit();
    const QByteArray folder = output.absolutePath().toLocal8Bit();
    const long nameMax = pathconf(folder.constData(), _PC_NAME_MAX);
    if (name.size() > (nameMax > 0 ? nameMax : NAME_MAX)
        || folder.size() + 1 + name.size() >= PATH_MAX)
        return QString("the output path %1 is longer than the system allows").arg(command.output);
    return targetProblem(command.input, command.output);
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
    if (isPicturePattern(command.output))
        return movePictures(written.path(), command, error);
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
    const LegacyParse parsed = parseLegacyCommand(arguments);
    LegacyCommand command = parsed.command;
    QString refusal = parsed.error;
    if (refusal.isEmpty())
        refusal = inputProblem(command.input);
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

    // From here on a cancel is taken where the run can stop cleanly.
    blockCancelSignals();
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
    // Pictures are written inside their temporary folder under short names of
    // our own: ffmpeg's picture writer reads "%" anywhere in its path and
    // cuts long paths short.
    if (pictures)
        command.input = QFileInfo(command.input).absoluteFilePath();
    const ChildOutcome outcome = runChild(ffmpeg,
                                          progressArguments()
                                                  + modernArguments(command,
                                                                    drawText,
                                                                    pictures ? PictureFiles
                                                                             : written.path(),
                                                                    sourceStreams(command.input)),
                                          false,
                                          5000,
                                          pictures ? written.path() : QString());
    if (!outcome.started || outcome.cancelSignal || outcome.exitCode != 0)
        return finish(outcome);
    int signal = 0;
    if (takePendingCancel(signal))
        return finish(ChildOutcome {true, 0, signal, {}});
    // ffmpeg ends with success although writing its last part failed (a full
    // disk); its FLV files state their own size once everything is written.
    if (!pictures && command.output.endsWith(".flv", Qt::CaseInsensitive)
        && !isCompleteFlv(written.descriptor())) {
        reportError(Program, "the output is incomplete (disk full?); nothing was written");
        return FileErrorExitCode;
    }

    QString error;
    if (!commitOutput(command, written, error)) {
        reportError(Program, error);
        return FileErrorExitCode;
    }
    return 0;
}

} // namespace tools
