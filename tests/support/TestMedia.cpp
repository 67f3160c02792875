// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestMedia.h"

#include <QtCore>

#include <algorithm>
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

QStringList words(const QString &text)
{
    return text.split(u' ');
}

// Where a source made by these arguments is kept once made, in the folder TROVEXA_TEST_MEDIA_CACHE
// names (CTest's runs name one in the build folder), so that later runs copy it instead of encoding
// it again; "" when none is named. The encoder's own file takes part: another ffmpeg makes other
// sources.
QString keptSource(const QStringList &arguments, const QString &suffix)
{
    const QString folder = qEnvironmentVariable("TROVEXA_TEST_MEDIA_CACHE");
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return {};
    const QFileInfo encoder(QStandardPaths::findExecutable("ffmpeg"));
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(arguments.join(QChar(0)).toUtf8());
    hash.addData(QFile::encodeName(encoder.canonicalFilePath()) + QByteArray::number(encoder.size())
                 + QByteArray::number(encoder.lastModified().toMSecsSinceEpoch()));
    return folder + "/" + hash.result().toHex() + "." + suffix;
}

// Keeps a copy of a made source under kept, whole or not at all, so that a
// run beside this one never copies half of it.
void keep(const QString &path, const QString &kept)
{
    QFile made(path);
    QSaveFile copy(kept);
    if (made.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly)
        && copy.write(made.readAll()) == made.size())
        copy.commit();
}

// The encoder's arguments for a test source, all but where it goes.
QStringList sourceArguments(const QString &suffix, const VideoSpec &video)
{
    QStringList args = words("-nostdin -y -hide_banner -loglevel error -f lavfi -i");
    args << QString("testsrc=size=%1x%2:rate=%3:duration=%4")
                    .arg(video.width)
                    .arg(video.height)
                    .arg(video.fps)
                    .arg(video.seconds);
    if (video.audio)
        args << words("-f lavfi -i")
             << QString("sine=frequency=440:sample_rate=%1:duration=%2")
                        .arg(video.sampleRate)
                        .arg(video.seconds);
    const int toneTrack = std::max(video.defaultTrack, 0);
    for (int track = 1; video.audio && track < video.audioTracks; ++track)
        args << words("-f lavfi -i") << QString("anullsrc=r=%1:cl=stereo").arg(video.sampleRate);
    if (video.audio && video.audioTracks > 1) {
        args << words("-map 0:v");
        for (int track = 0, silent = 2; track < video.audioTracks; ++track) {
            const QString a = QString("a:%1").arg(track);
            args << "-map" << QString("%1:a").arg(track == toneTrack ? 1 : silent++);
            args << "-disposition:" + a << (track == video.defaultTrack ? "default" : "0");
            if (track == toneTrack)
                args << "-ac:" + a << QString::number(video.channels);
        }
    } else if (video.audio) {
        args << "-ac" << QString::number(video.channels);
    }
    if (QStringList {"dat", "vob", "mpg", "mpeg"}.contains(suffix))
        args << "-f" << (suffix == "vob" ? "vob" : "mpeg") << words("-c:v mpeg2video -c:a mp2");
    if (suffix == "3gp")
        args << words("-c:v h263 -c:a aac -ar 8000 -ac 1");
    args << video.extraOutputOptions << "-shortest";
    if (!video.pipedFormat.isEmpty())
        args << "-f" << video.pipedFormat;
    return args;
}

} // namespace

bool makeVideo(const QString &path, const VideoSpec &video)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    QStringList args = sourceArguments(suffix, video);
    const QString kept = keptSource(args + QStringList {QString::number(video.turn)}, suffix);
    if (!kept.isEmpty() && QFileInfo::exists(kept)) {
        QFile::remove(path);
        return QFile::copy(kept, path);
    }
    args << (video.pipedFormat.isEmpty() ? path : "pipe:1");
    const ProcessResult result = run("ffmpeg", args);
    if (!video.pipedFormat.isEmpty() && !writeFile(path, result.output))
        return false;
    if (result.exitCode != 0 || result.crashed) {
        std::fprintf(stderr, "making %s failed: %s\n", qPrintable(path), result.errors.constData());
        return false;
    }
    // A quarter turn the player gives the picture, in the track header as phones write it.
    const QString turned = path + ".turned." + suffix;
    const QStringList copy = words("-nostdin -v error -i")
            << path << words("-c copy -metadata:s:v")
            << QString("rotate=%1").arg((360 - video.turn) % 360) << turned;
    if (video.turn != 0
        && (run("ffmpeg", copy).exitCode != 0 || !QFile::remove(path)
            || !QFile::rename(turned, path)))
        return false;
    if (!kept.isEmpty())
        keep(path, kept);
    return true;
}

QJsonObject probe(const QString &path)
{
    const ProcessResult result = run("ffprobe",
                                     words("-v error -print_format json -show_format -show_streams")
                                             << path);
    return result.exitCode == 0 ? QJsonDocument::fromJson(result.output).object() : QJsonObject();
}

QJsonObject firstStream(const QJsonObject &probed, const QString &type)
{
    for (const QJsonValue &stream : probed.value("streams").toArray()) {
        if (stream.toObject().value("codec_type").toString() == type)
            return stream.toObject();
    }
    return {};
}

QString fields(const QJsonObject &object, const QStringList &keys, QChar separator)
{
    QStringList values;
    for (const QString &key : keys)
        values << object.value(key).toVariant().toString();
    return values.join(separator);
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden
                                  | QDir::NoDotAndDotDot);
}

QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder,
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files[info.filePath()] = QByteArray::number(int(info.permissions()), 8)
                + (info.isFile() ? readFile(info.filePath())
                                 : QByteArray(info.isDir() ? "<dir>" : "<fifo>"));
    }
    return files;
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
    setVariables(process, options.environment);
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
    QList<QByteArray> storage = QList<QByteArray> {program} + arguments;
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, program.constData(), nullptr, nullptr, argv.data(), environ) != 0
        || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

QList<qint64> childProcesses(qint64 pid)
{
    const QString tasks = QString("/proc/%1/task").arg(pid ? pid : getpid());
    QList<qint64> children;
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QByteArray &child : readFile(tasks + "/" + task + "/children").split(' '))
            if (!child.trimmed().isEmpty())
                children.append(child.trimmed().toLongLong());
    }
    return children;
}

QStringList processesNaming(const QString &path)
{
    QStringList found;
    QDirIterator proc("/proc", QDir::Dirs | QDir::NoDotAndDotDot);
    while (proc.hasNext()) {
        QFile cmdline(proc.next() + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.read(65536).contains(path.toLocal8Bit()))
            found << QFileInfo(proc.filePath()).fileName();
    }
    return found;
}

void setVariables(QProcess &process, const QStringList &variables)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : variables) {
        if (variable.contains(u'='))
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        else
            environment.remove(variable);
    }
    process.setProcessEnvironment(environment);
}

void prepareConvert(QProcess &process, const QString &folder, const QString &cache)
{
    setVariables(process,
                 {"DISPLAY",
                  "WAYLAND_DISPLAY",
                  "QT_QPA_PLATFORM",
                  "XDG_CACHE_HOME=" + cache,
                  "XDG_CONFIG_HOME=" + folder + "/config"});
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
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
                                     QStringList {"-v", "error", "-select_streams", type + ":0"}
                                             << words("-show_entries packet=size -of csv=p=0")
                                             << path);
    qint64 total = 0;
    for (const QByteArray &line : result.output.split('\n'))
        total += line.trimmed().toLongLong();
    return result.exitCode == 0 ? total : -1;
}

double peakDecibels(const QString &path)
{
    const ProcessResult result = run("ffmpeg",
                                     QStringList {"-nostdin", "-i", path}
                                             << words("-af volumedetect -f null -"));
    const qsizetype at = result.errors.indexOf("max_volume: ");
    return at < 0 ? 0 : result.errors.mid(at + 12).split(' ').first().toDouble();
}

QByteArray rgbFrame(const QString &path, int frameIndex)
{
    const ProcessResult result
            = run("ffmpeg",
                  QStringList {"-nostdin", "-v", "error", "-i", path, "-vf"}
                          << QString("select=eq(n\\,%1)").arg(frameIndex)
                          << words("-frames:v 1 -f rawvideo -pix_fmt rgb24 pipe:1"));
    return result.exitCode == 0 ? result.output : QByteArray();
}

} // namespace testmedia
