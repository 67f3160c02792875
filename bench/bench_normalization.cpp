// Normalization plus encode against one direct encode of the same source.
//
// A: the encoder line straight from the source AVI to FLV.
// B: the video-editing component writes temp.mpg, then the same encoder line
//    reads temp.mpg.
// N: as B, but temp.mpg written with naive settings (-q:v 2, B-frames, one
//    thread), for reference.
// Runs alternate A, B, N a few times; reports each time and the median ratios.
//
// Usage: bench_normalization [rounds] [seconds]   (defaults: 5 rounds, 60 s)

#include "platform/FileSystem.h"
#include "platform/VideoEditComponent.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double runFfmpeg(const QString &ffmpeg, const QStringList &arguments)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(ffmpeg, arguments);
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", qPrintable(arguments.join(' ')));
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e9;
}

QStringList encodeLine(const QString &input, const QString &output)
{
    return {"-nostdin", "-y",    "-loglevel", "error",     "-i",  input, "-b:v",
            "350k",     "-r",    "25",        "-fps_mode", "cfr", "-s",  "320x240",
            "-ar",      "22050", "-b:a",      "64k",       "-ac", "2",   output};
}

// Normalizes with the component, as the program does; seconds taken.
double normalize(platform::VideoEditComponent &component,
                 const QString &source,
                 const QString &target)
{
    QElapsedTimer timer;
    timer.start();
    double length = *component.GetFileDuration(source);
    component.setAudioSampleRate(44100);
    component.setAudioBitrate(128);
    component.setOutputFormat(6);
    component.setFrameRate(25);
    component.setOutputHeight(qint16(*component.GetFileHeight(source)));
    component.setOutputWidth(qint16(*component.GetFileWidth(source)));
    component.setColorDepth(24);
    component.ClearClips();
    component.AddVideoClip(source, 0.0, length, 2);
    component.AddAudioClip(source, 0.0, length);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&component, &platform::VideoEdit::ConversionFinished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QObject::connect(&component, &platform::VideoEdit::ConversionFailed, &loop, &QEventLoop::quit);
    if (!component.SetOutputFile(target) || !component.StartConversion()) {
        std::fprintf(stderr, "normalization did not start\n");
        std::exit(1);
    }
    loop.exec();
    if (!finished) {
        std::fprintf(stderr, "normalization failed\n");
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    const QString ffmpeg = platform::findSystemFfmpeg(platform::ApplicationFolder());
    QTemporaryDir dir;
    const QString source = dir.filePath("source.avi");
    const QString temp = dir.filePath("temp.mpg");
    const QString naiveTemp = dir.filePath("naive.mpg");

    std::printf("ffmpeg: %s\nsource: %d s 640x480 25 fps MPEG-4 AVI with stereo MP3\n",
                qPrintable(ffmpeg),
                seconds);
    runFfmpeg(ffmpeg,
              {"-nostdin",  "-y",
               "-loglevel", "error",
               "-f",        "lavfi",
               "-i",        QString("testsrc2=size=640x480:rate=25:duration=%1").arg(seconds),
               "-f",        "lavfi",
               "-i",        QString("sine=frequency=440:duration=%1").arg(seconds),
               "-ac",       "2",
               "-c:v",      "mpeg4",
               "-q:v",      "4",
               "-c:a",      "libmp3lame",
               "-b:a",      "128k",
               source});

    platform::VideoEditComponent component(ffmpeg);
    const QStringList naive {"-nostdin", "-y",         "-loglevel", "error", "-i",   source,
                             "-c:v",     "mpeg2video", "-q:v",      "2",     "-bf",  "2",
                             "-threads", "1",          "-r",        "25",    "-s",   "640x480",
                             "-c:a",     "mp2",        "-ar",       "44100", "-b:a", "128k",
                             "-f",       "vob",        naiveTemp};

    std::vector<double> direct, normalized, naiveRuns, ratios, naiveRatios;
    std::printf("%5s %10s %22s %22s\n", "round", "direct", "normalize+encode", "naive norm.+encode");
    for (int round = 1; round <= rounds; ++round) {
        const double a = runFfmpeg(ffmpeg, encodeLine(source, dir.filePath("direct.flv")));
        const double normalizing = normalize(component, source, temp);
        const double b = normalizing + runFfmpeg(ffmpeg, encodeLine(temp, dir.filePath("b.flv")));
        const double naiveNormalizing = runFfmpeg(ffmpeg, naive);
        const double n = naiveNormalizing
                + runFfmpeg(ffmpeg, encodeLine(naiveTemp, dir.filePath("n.flv")));
        direct.push_back(a);
        normalized.push_back(b);
        naiveRuns.push_back(n);
        ratios.push_back(b / a);
        naiveRatios.push_back(n / a);
        std::printf("%5d %9.2fs %9.2fs (%5.2fx) %9.2fs (%5.2fx)   [normalize alone %.2fs]\n",
                    round,
                    a,
                    b,
                    b / a,
                    n,
                    n / a,
                    normalizing);
        std::fflush(stdout);
    }
    std::printf("median direct %.2fs, normalize+encode %.2fs, naive %.2fs\n",
                median(direct),
                median(normalized),
                median(naiveRuns));
    std::printf("median ratio normalize+encode / direct: %.2fx (goal <= 2.0x)\n", median(ratios));
    std::printf("median ratio naive / direct: %.2fx\n", median(naiveRatios));
    return 0;
}
