#include "TestMedia.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <QDir>
#include <QtEndian>

#include <csignal>
#include <cstdio>
#include <grp.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace testmedia {

namespace {

// Writes a quarter turn into the matrix of the first track header ("tkhd")
// of an MP4 or MOV file, the video track as makeVideo writes it: 16.16
// fixed-point a, b, c, d.
bool turnQuarter(const QString &path, int turn)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = file.readAll();
    const qsizetype box = data.indexOf("tkhd");
    if (box < 0)
        return false;
    // Version and flags, times, track id, reserved, duration, reserved,
    // layer, group, volume, reserved; version 1 has 64-bit times.
    const bool wide = data.at(box + 4) == 1;
    const qsizetype matrix = box + 4 + 4 + (wide ? 16 : 8) + 8 + (wide ? 8 : 4) + 16;
    const qint32 one = 0x10000 * (turn > 0 ? 1 : -1);
    const qint32 values[4] = {0, one, -one, 0};
    for (int i = 0; i < 4; ++i)
        qToBigEndian(values[i], data.data() + matrix + 4 * (i == 2 || i == 3 ? i + 1 : i));
    return file.seek(0) && file.write(data) == data.size();
}

} // namespace

bool makeVideo(const QString &path, const VideoSpec &video)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    QStringList args {"-nostdin", "-y", "-hide_banner", "-loglevel", "error"};
    args << "-f"
         << "lavfi"
         << "-i"
         << QString("testsrc=size=%1x%2:rate=%3:duration=%4")
                    .arg(video.width)
                    .arg(video.height)
                    .arg(video.fps)
                    .arg(video.seconds);
    if (video.audio) {
        args << "-f"
             << "lavfi"
             << "-i"
             << QString("sine=frequency=440:sample_rate=%1:duration=%2")
                        .arg(video.sampleRate)
                        .arg(video.seconds);
        args << "-ac" << QString::number(video.channels);
    }
    if (suffix == "dat" || suffix == "vob" || suffix == "mpg" || suffix == "mpeg")
        args << "-f" << (suffix == "vob" ? "vob" : "mpeg") << "-c:v"
             << "mpeg2video"
             << "-c:a"
             << "mp2";
    if (suffix == "3gp")
        args << "-c:v"
             << "h263"
             << "-c:a"
             << "aac"
             << "-ar"
             << "8000"
             << "-ac"
             << "1";
    args << video.extraOutputOptions;
    args << "-shortest" << path;
    const ProcessResult result = run("ffmpeg", args);
    if (result.exitCode != 0 || result.crashed) {
        std::fprintf(stderr, "making %s failed: %s\n", qPrintable(path), result.errors.constData());
        return false;
    }
    return video.turn == 0 || turnQuarter(path, video.turn);
}

QJsonObject probe(const QString &path)
{
    const ProcessResult result
            = run("ffprobe",
                  {"-v", "error", "-print_format", "json", "-show_format", "-show_streams", path});
    if (result.exitCode != 0)
        return {};
    return QJsonDocument::fromJson(result.output).object();
}

QJsonObject firstStream(const QJsonObject &probed, const QString &type)
{
    const QJsonArray streams = probed.value("streams").toArray();
    for (const QJsonValue &stream : streams) {
        if (stream.toObject().value("codec_type").toString() == type)
            return stream.toObject();
    }
    return {};
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void inheritHostileSignals()
{
    for (const int s : {SIGCHLD, SIGINT, SIGTERM})
        signal(s, SIG_IGN);
    sigset_t all;
    sigfillset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
}

ProcessResult run(const QString &program, const QStringList &arguments, const RunOptions &options)
{
    QProcess process;
    process.setWorkingDirectory(options.folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier([options] {
        if (options.maxFileBytes > 0) {
            const rlimit limit {rlim_t(options.maxFileBytes), rlim_t(options.maxFileBytes)};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);
        }
        if (options.user
            && (setgroups(0, nullptr) != 0 || setgid(*options.user) != 0
                || setuid(*options.user) != 0))
            _exit(126);
        if (options.hostileSignals)
            inheritHostileSignals();
    });
    if (!options.environment.isEmpty()) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString &variable : options.environment)
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        process.setProcessEnvironment(variables);
    }
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(-1)) {
        result.errors = process.errorString().toLocal8Bit();
        return result;
    }
    if (!process.waitForFinished(options.timeoutMs)) {
        process.kill();
        process.waitForFinished(-1);
    }
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    return result;
}

int runWithByteArguments(const QByteArray &program, const QList<QByteArray> &arguments)
{
    QList<QByteArray> storage {program};
    storage += arguments;
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.constData(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

QList<qint64> childProcesses(qint64 pid)
{
    QList<qint64> children;
    QFile list(QString("/proc/%1/task/%1/children").arg(pid));
    if (list.open(QIODevice::ReadOnly)) {
        for (const QByteArray &child : list.readAll().split(' ')) {
            if (!child.trimmed().isEmpty())
                children.append(child.trimmed().toLongLong());
        }
        return children;
    }
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 candidate = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == pid)
            children.append(candidate);
    }
    return children;
}

double durationSeconds(const QJsonObject &probed)
{
    bool ok = false;
    const double seconds
            = probed.value("format").toObject().value("duration").toString().toDouble(&ok);
    return ok ? seconds : -1.0;
}

qint64 streamBytes(const QString &path, const QString &type)
{
    const ProcessResult result = run("ffprobe",
                                     {"-v",
                                      "error",
                                      "-select_streams",
                                      type + ":0",
                                      "-show_entries",
                                      "packet=size",
                                      "-of",
                                      "csv=p=0",
                                      path});
    if (result.exitCode != 0)
        return -1;
    qint64 total = 0;
    for (const QByteArray &line : result.output.split('\n'))
        total += line.trimmed().toLongLong();
    return total;
}

QByteArray rgbFrame(const QString &path, int frameIndex)
{
    const ProcessResult result = run("ffmpeg",
                                     {"-nostdin",
                                      "-v",
                                      "error",
                                      "-i",
                                      path,
                                      "-vf",
                                      QString("select=eq(n\\,%1)").arg(frameIndex),
                                      "-frames:v",
                                      "1",
                                      "-f",
                                      "rawvideo",
                                      "-pix_fmt",
                                      "rgb24",
                                      "pipe:1"});
    return result.exitCode == 0 ? result.output : QByteArray();
}

QList<qint64> childProcesses()
{
    QList<qint64> children;
    const QStringList threads = QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &thread : threads) {
        QFile file(QString("/proc/self/task/%1/children").arg(thread));
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &pid : file.readAll().split(' '))
                if (!pid.trimmed().isEmpty())
                    children.append(pid.trimmed().toLongLong());
        }
    }
    return children;
}

} // namespace testmedia
