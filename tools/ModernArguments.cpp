#include "ModernArguments.h"

namespace tools {

namespace {

bool hasSuffix(const QString &path, const QString &suffix)
{
    return path.endsWith(suffix, Qt::CaseInsensitive);
}

// A path for ffmpeg that it cannot take for a protocol ("a:b.avi") or an
// option ("-clip.avi").
QString filePath(const QString &path)
{
    return path.startsWith('/') ? path : "file:" + path;
}

} // namespace

QStringList modernArguments(const LegacyCommand &command,
                            const std::optional<DrawText> &drawText,
                            const QString &writtenOutput)
{
    // -xerror: a damaged or truncated source fails the encode instead of
    // giving a shorter file that looks complete.
    QStringList args {"-nostdin", "-y", "-xerror", "-i", filePath(command.input)};

    QStringList filters;
    if (command.deInterlace)
        filters << "yadif";
    if (drawText)
        filters << drawTextFilter(*drawText);
    if (command.width > 0)
        filters << QString("scale=%1:%2").arg(command.width).arg(command.height) << "setsar=1";
    if (!filters.isEmpty())
        args << "-vf" << filters.join(u',');

    if (!command.frameRate.isEmpty())
        args << "-r" << command.frameRate << "-fps_mode"
             << "cfr";
    if (!command.frameCount.isEmpty())
        args << "-frames:v" << command.frameCount;

    const bool pictures = isPicturePattern(command.output);
    if (hasSuffix(command.output, ".flv"))
        args << "-c:v"
             << "flv1"
             << "-c:a"
             << "libmp3lame"
             << "-f"
             << "flv";
    else if (pictures && (hasSuffix(command.output, ".jpg") || hasSuffix(command.output, ".jpeg")))
        args << "-c:v"
             << "mjpeg"
             << "-q:v"
             << "2"
             << "-f"
             << "image2";

    if (!command.videoBitrate.isEmpty())
        args << "-b:v" << command.videoBitrate;
    if (command.audioOff || pictures) {
        args << "-an";
    } else {
        if (!command.sampleRate.isEmpty())
            args << "-ar" << command.sampleRate;
        if (!command.audioBitrate.isEmpty())
            args << "-b:a" << command.audioBitrate;
        if (!command.channels.isEmpty())
            args << "-ac" << command.channels;
    }
    args << filePath(writtenOutput.isEmpty() ? command.output : writtenOutput);
    return args;
}

} // namespace tools
