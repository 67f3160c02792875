// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// Media made at test time with the system ffmpeg's lavfi sources, and
// probing with the system ffprobe. Nothing here goes through a shell.
namespace testmedia {

// While it lives, the program's settings and presets go to a fresh folder
// of their own, for the copies of the program a test starts.
struct OwnConfigFolder
{
    OwnConfigFolder() { qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit()); }
    ~OwnConfigFolder() { qunsetenv("XDG_CONFIG_HOME"); }
    QTemporaryDir folder;
};

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
    int turn = 0; // .mp4/.mov: a quarter turn clockwise (90 or -90) in the track header
    // Written as to a pipe, in the named format: no index, and no length
    // where the format keeps it at the end.
    QString pipedFormat {};
    // Sound tracks: the tone is on the track marked as the default one (-1:
    // none marked, the tone on the first); the others are silent and stereo.
    int audioTracks = 1;
    int defaultTrack = -1;
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
    qint64 maxFileBytes = 0; // a full disk in miniature: writes past it fail (EFBIG); 0: no limit
    std::optional<unsigned> user {}; // user and group to run as (root ignores file modes)
    bool hostileSignals = false; // as a careless parent leaves it: see inheritHostileSignals
};

// Runs a program with no standard input and waits (at most timeoutMs) for its end.
ProcessResult run(const QString &program,
                  const QStringList &arguments,
                  const RunOptions &options = {});

// Writes a test video (testsrc pattern, sine tone); the container follows the extension (.dat and
// .vob are MPEG program streams). False, with ffmpeg's messages printed, when it fails.
bool makeVideo(const QString &path, const VideoSpec &video = {});

// Writes content to a new or emptied file; false when it fails.
bool writeFile(const QString &path, const QByteArray &content);

// The whole content of a file; empty when it cannot be read.
QByteArray readFile(const QString &path);

// Paths the test command hands to every test through the environment.
inline QString testChildProgram()
{
    return qEnvironmentVariable("TROVEXA_TEST_CHILD");
}
inline QString applicationFolderUnderTest()
{
    return qEnvironmentVariable("TROVEXA_APP_DIR");
}

// ffprobe -show_format -show_streams as JSON; an empty object when it fails.
QJsonObject probe(const QString &path);

// The first stream of the given type ("video" or "audio"), or an empty object.
QJsonObject firstStream(const QJsonObject &probed, const QString &type);

// The values of keys in a probed object as text, joined by separator ("" for a missing one).
QString fields(const QJsonObject &object, const QStringList &keys, QChar separator = u'|');

// Every entry of a folder, hidden ones too, by name.
QStringList folderEntries(const QString &folder);
// Every entry under a folder, by path, with its permissions and content.
QMap<QString, QByteArray> snapshot(const QString &folder);

// In a child: SIGCHLD, SIGINT and SIGTERM ignored, and every signal blocked.
void inheritHostileSignals();

// Runs a program with raw-byte arguments (names that are no valid UTF-8); its
// exit code, or -1 when it did not end normally.
int runWithByteArguments(const QByteArray &program, const QList<QByteArray> &arguments);

// The process ids whose parent is pid (read from /proc); this process's by default.
QList<qint64> childProcesses(qint64 pid = 0);
// The ids of the processes whose command line names path: tools left running.
QStringList processesNaming(const QString &path);
// Gives a process this one's environment with variables ("NAME=value"; "NAME" alone: removed).
void setVariables(QProcess &process, const QStringList &variables);
// Readies a `trovexa --convert` run in folder with no display: its own cache and configuration.
void prepareConvert(QProcess &process, const QString &folder, const QString &cache);

// The duration of a probed file in seconds (format duration), or -1.
double durationSeconds(const QJsonObject &probed);

// The bytes in the packets of the first stream of a type ("v" or "a"); -1 when it fails.
qint64 streamBytes(const QString &path, const QString &type);

// The loudest sample of the first audio stream in dB (about -18 for the test
// tone, -91 for silence); 0 when it cannot be measured.
double peakDecibels(const QString &path);

// One decoded video frame (0 = first) as packed RGB24; empty when it fails.
QByteArray rgbFrame(const QString &path, int frameIndex = 0);

} // namespace testmedia

using testmedia::applicationFolderUnderTest;
using testmedia::testChildProgram;
