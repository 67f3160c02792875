// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModernArguments.h"

#include "H264Arguments.h"

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

// The MP3 encoder puts 1105 samples of priming before the first source
// sample (ffmpeg reports it as the encoder's initial padding), and FLV has no
// field to tell a player to skip it. Left alone, the muxer moves every stream
// later by the priming so that sound and picture stay together, and the file
// gets up to 0.1 s more duration than its source. Instead the audio starts
// that much into the source: the priming takes the place of the skipped
// sound, so picture and sound start at 0, in step, and the duration matches.
// The AAC encoder primes with 1024 samples, and FLV has no field for them
// either.
constexpr int Mp3Priming = 1105;
constexpr int AacPriming = 1024;

QString primingTrim(int priming, int sampleRate)
{
    return "atrim=start=" + QString::number(double(priming) / sampleRate, 'f', 9);
}

} // namespace

QStringList modernArguments(const LegacyCommand &command,
                            const std::optional<DrawText> &drawText,
                            const QString &writtenOutput,
                            const SourceStreams &source)
{
    const bool pictures = isPicturePattern(command.output);
    const bool flv = hasSuffix(command.output, ".flv");
    // A lightly damaged source converts, as ffmpeg converts it; a source
    // that gives nothing at all fails instead of giving an empty file. ffmpeg
    // ends with success even when writing its last part failed: the front-end
    // checks FLV files and pictures itself, any other output needs -xerror
    // to make that a failure.
    QStringList args {"-nostdin", "-y", "-abort_on", "empty_output"};
    if (!flv && !pictures)
        args << "-xerror";
    args << "-i" << filePath(command.input);
    // Phones tag their videos with the place, the device and its software;
    // files made to be put on the web keep none of that.
    args << "-map_metadata"
         << "-1"
         << "-map_chapters"
         << "-1";
    if (source.video >= 0)
        args << "-map" << QString("0:%1").arg(source.video);
    if (source.audio >= 0 && !command.audioOff && !pictures)
        args << "-map" << QString("0:%1").arg(source.audio);

    QStringList filters;
    if (command.deInterlace)
        filters << "yadif";
    if (drawText)
        filters << drawTextFilter(*drawText);
    if (command.videoCodec == "h264")
        filters << h264ScaleFilters(command.width, command.height);
    else if (command.width > 0)
        filters << QString("scale=%1:%2").arg(command.width).arg(command.height) << "setsar=1";
    // The fps filter ends the video where the source ends; the encoder's own
    // constant-rate padding would add frames after the last one.
    if (!command.frameRate.isEmpty())
        filters << "fps=" + command.frameRate;
    if (!filters.isEmpty())
        args << "-vf" << filters.join(u',');

    if (!command.frameRate.isEmpty())
        args << "-r" << command.frameRate << "-fps_mode"
             << "cfr";
    if (!command.frameCount.isEmpty())
        args << "-frames:v" << command.frameCount;

    const bool aac = command.audioCodec == "aac";
    if (command.videoCodec == "h264")
        args << h264VideoArguments(command);
    else if (flv || command.videoCodec == "flv")
        args << "-c:v"
             << "flv1";
    if (aac)
        args << "-c:a"
             << "aac";
    else if (flv || command.audioCodec == "mp3")
        args << "-c:a"
             << "libmp3lame";
    if (flv)
        args << "-f"
             << "flv";
    else if (pictures)
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
        if (flv && !command.sampleRate.isEmpty())
            args << "-af" << primingTrim(aac ? AacPriming : Mp3Priming, command.sampleRate.toInt());
        if (!command.audioBitrate.isEmpty())
            args << "-b:a" << command.audioBitrate;
        if (!command.channels.isEmpty())
            args << "-ac" << command.channels;
    }
    if (!source.title.isEmpty() && !pictures)
        args << "-metadata"
             << "title=" + source.title;
    args << filePath(writtenOutput.isEmpty() ? command.output : writtenOutput);
    return args;
}

} // namespace tools
