#pragma once

#include <QJsonObject>
#include <QList>
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
    QStringList extraOutputOptions {}; // e.g. {"-c:v", "mpeg4"}; format follows the extension
    // .mp4 and .mov: a quarter turn (90 or -90 degrees) the player gives the
    // picture, written into the video track's matrix as phones do.
    int turn = 0;
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
bool makeVideo(const QString &path, const VideoSpec &video = {});

// The children of this process, by process id.
QList<qint64> childProcesses();

// ffprobe -show_format -show_streams as JSON; an empty object when it fails.
QJsonObject probe(const QString &path);

// The first stream of the given type ("video" or "audio"), or an empty object.
QJsonObject firstStream(const QJsonObject &probed, const QString &type);

// Like run, but the child may write files of at most maxFileBytes bytes (a
// full disk in miniature): RLIMIT_FSIZE is set in the child, and SIGXFSZ is
// ignored so that writing past it fails with EFBIG instead of killing.
ProcessResult runWithFileSizeLimit(const QString &program,
                                   const QStringList &arguments,
                                   qint64 maxFileBytes,
                                   int timeoutMs = 300000);

// Like run, but the child runs as another user (for a test running as root,
// which file permissions do not stop).
ProcessResult runAsUser(const QString &program,
                        const QStringList &arguments,
                        unsigned userId,
                        unsigned groupId,
                        int timeoutMs = 300000);

// Like run, with extra environment variables ("NAME=value") for the child.
ProcessResult runWithEnvironment(const QString &program,
                                 const QStringList &arguments,
                                 const QStringList &environment,
                                 int timeoutMs = 300000);

// Like run, in the given working folder.
ProcessResult runInFolder(const QString &folder,
                          const QString &program,
                          const QStringList &arguments,
                          int timeoutMs = 300000);

// Like run, but the child starts with the process state a careless parent
// leaves: SIGCHLD, SIGINT and SIGTERM ignored, and every signal blocked.
ProcessResult runWithHostileSignals(const QString &program,
                                    const QStringList &arguments,
                                    int timeoutMs = 300000);

// Sets up the process state of runWithHostileSignals in a child process
// (for QProcess::setChildProcessModifier).
void inheritHostileSignals();

// Runs a program with arguments given as raw bytes (names that are no valid
// UTF-8); returns its exit code, or -1 when it did not end normally.
int runWithByteArguments(const QByteArray &program, const QList<QByteArray> &arguments);

// The process ids whose parent is pid (read from /proc).
QList<qint64> childProcesses(qint64 pid);

// The duration of a probed file in seconds (format duration), or -1.
double durationSeconds(const QJsonObject &probed);

// The total size in bytes of the packets of the first stream of a type
// ("v" or "a"), counted by ffprobe; -1 when it fails.
qint64 streamBytes(const QString &path, const QString &type);

// One decoded video frame (0 = first) as packed RGB24 pixels; empty when it
// fails.
QByteArray rgbFrame(const QString &path, int frameIndex = 0);

} // namespace testmedia
