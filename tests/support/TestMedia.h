#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// Media made at test time with the system ffmpeg's lavfi sources, and
// probing with the system ffprobe. Nothing here goes through a shell.
namespace testmedia {

struct VideoSpec
{
    double seconds = 2.0;
    int width = 320;
    int height = 240;
    double fps = 25;
    bool audio = true;
    int sampleRate = 44100;
    int channels = 2;
    QStringList extraOutputOptions; // e.g. {"-c:v", "mpeg4"}; format follows the extension
};

struct ProcessResult
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray output; // standard output
    QByteArray errors; // standard error
};

// Runs a program from an argument list with no standard input and waits
// (at most timeoutMs) for it to end.
ProcessResult run(const QString &program, const QStringList &arguments, int timeoutMs = 300000);

// Writes a test video (testsrc pattern, sine tone) to path; the container
// follows the extension (.dat and .vob are written as MPEG program streams).
// Returns false and prints ffmpeg's messages when it fails.
bool makeVideo(const QString &path, const VideoSpec &spec = {});

// ffprobe -show_format -show_streams as JSON; an empty object when it fails.
QJsonObject probe(const QString &path);

// The first stream of the given type ("video" or "audio"), or an empty object.
QJsonObject firstStream(const QJsonObject &probed, const QString &type);

} // namespace testmedia
