#include "TestMedia.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <cstdio>

namespace testmedia {

ProcessResult run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(-1)) {
        result.errors = process.errorString().toLocal8Bit();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(-1);
    }
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    return result;
}

bool makeVideo(const QString &path, const VideoSpec &spec)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    QStringList args{"-nostdin", "-y", "-hide_banner", "-loglevel", "error"};
    args << "-f" << "lavfi" << "-i"
         << QString("testsrc=size=%1x%2:rate=%3:duration=%4")
                .arg(spec.width)
                .arg(spec.height)
                .arg(spec.fps)
                .arg(spec.seconds);
    if (spec.audio) {
        args << "-f" << "lavfi" << "-i"
             << QString("sine=frequency=440:sample_rate=%1:duration=%2")
                    .arg(spec.sampleRate)
                    .arg(spec.seconds);
        args << "-ac" << QString::number(spec.channels);
    }
    if (suffix == "dat" || suffix == "vob" || suffix == "mpg" || suffix == "mpeg")
        args << "-f" << (suffix == "vob" ? "vob" : "mpeg") << "-c:v" << "mpeg2video"
             << "-c:a" << "mp2";
    if (suffix == "3gp")
        args << "-c:v" << "h263" << "-c:a" << "aac" << "-ar" << "8000" << "-ac" << "1";
    args << spec.extraOutputOptions;
    args << "-shortest" << path;
    const ProcessResult result = run("ffmpeg", args);
    if (result.exitCode != 0 || result.crashed) {
        std::fprintf(stderr, "making %s failed: %s\n", qPrintable(path), result.errors.constData());
        return false;
    }
    return true;
}

QJsonObject probe(const QString &path)
{
    const ProcessResult result = run("ffprobe",
                                     {"-v", "error", "-print_format", "json", "-show_format",
                                      "-show_streams", path});
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

} // namespace testmedia
