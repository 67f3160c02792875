#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

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

// How run starts a program.
struct RunOptions
{
    int timeoutMs = 300000;
    QStringList environment {}; // extra variables, "NAME=value"
    QString folder {}; // the working folder
    // Files of at most this many bytes (a full disk in miniature): writing
    // past it fails with EFBIG. 0 for no limit.
    qint64 maxFileBytes = 0;
    // Another user (and group) to run as, for a test running as root, which
    // file permissions do not stop.
    std::optional<unsigned> user {};
    // The process state a careless parent leaves: SIGCHLD, SIGINT and
    // SIGTERM ignored, and every signal blocked.
    bool hostileSignals = false;
};

// Runs a program from an argument list with no standard input and waits
// (at most options.timeoutMs) for it to end.
ProcessResult run(const QString &program,
                  const QStringList &arguments,
                  const RunOptions &options = {});

// Writes a test video (testsrc pattern, sine tone) to path; the container
// follows the extension (.dat and .vob are written as MPEG program streams).
// Returns false and prints ffmpeg's messages when it fails.
bool makeVideo(const QString &path, const VideoSpec &video = {});

// Writes content to a new or emptied file; false when it fails.
bool writeFile(const QString &path, const QByteArray &content);

// The whole content of a file; empty when it cannot be read.
QByteArray readFile(const QString &path);

// The children of this process, by process id.
QList<qint64> childProcesses();

// ffprobe -show_format -show_streams as JSON; an empty object when it fails.
QJsonObject probe(const QString &path);

// The first stream of the given type ("video" or "audio"), or an empty object.
QJsonObject firstStream(const QJsonObject &probed, const QString &type);

// Sets up the process state of RunOptions::hostileSignals in a child process
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
