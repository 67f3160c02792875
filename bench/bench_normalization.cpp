// Normalization plus encode against one direct encode of the same source.
//
// A: the encoder line straight from the source AVI to FLV.
// B: the video-editing component writes temp.mpg, then the same encoder line
//    reads temp.mpg.
// N: as B, but temp.mpg written with naive settings (-q:v 2, B-frames, one
//    thread), for reference.
// The runs alternate A, B, N; each round prints wall-clock and processor
// times, and the end the median ratios. Processor time (of the ffmpeg
// children) shows the work done even when other load on the machine makes
// the wall-clock figures noisy.
//
// Usage: bench_normalization [rounds] [seconds]   (defaults: 5 rounds, 60 s)

#include "ChildCpuTime.h"

#include "media/VideoEditComponent.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Wall-clock and processor seconds of some work.
struct Cost
{
    double wall = 0;
    double cpu = 0;
    Cost operator+(const Cost &other) const { return {wall + other.wall, cpu + other.cpu}; }
};

template<typename Work>
Cost measure(Work work)
{
    const double cpu = childCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    work();
    return {timer.nsecsElapsed() / 1e9, childCpuSeconds() - cpu};
}

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

Cost runFfmpeg(const QString &ffmpeg, const QStringList &arguments)
{
    return measure([&] {
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(ffmpeg, arguments);
        process.waitForFinished(-1);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            fail(qPrintable("ffmpeg failed: " + arguments.join(' ')));
    });
}

QStringList encodeLine(const QString &input, const QString &output)
{
    return {"-nostdin", "-y",    "-loglevel", "error",     "-i",  input, "-b:v",
            "350k",     "-r",    "25",        "-fps_mode", "cfr", "-s",  "320x240",
            "-ar",      "22050", "-b:a",      "64k",       "-ac", "2",   output};
}

// Normalizes with the component, driven as the program drives it.
Cost normalize(media::VideoEditComponent &component, const QString &source, const QString &target)
{
    return measure([&] {
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
        QObject::connect(&component, &media::VideoEdit::ConversionFinished, &loop, [&] {
            finished = true;
            loop.quit();
        });
        QObject::connect(&component, &media::VideoEdit::ConversionFailed, &loop, &QEventLoop::quit);
        if (!component.SetOutputFile(target) || !component.StartConversion())
            fail("normalization did not start");
        loop.exec();
        if (!finished)
            fail("normalization failed");
    });
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
    const QString ffmpeg = media::findSystemFfmpeg(platform::ApplicationFolder());
    QTemporaryDir dir;
    const QString source = dir.filePath("source.avi");
    const QString temp = dir.filePath("temp.mpg");
    const QString naiveTemp = dir.filePath("naive.mpg");

    std::printf("ffmpeg: %s\nsource: %d s 640x480 25 fps MPEG-4 AVI with stereo MP3\n",
                qPrintable(ffmpeg),
                seconds);
    const QString duration = QString::number(seconds);
    runFfmpeg(ffmpeg, {"-nostdin",  "-y",
                       "-loglevel", "error",
                       "-f",        "lavfi",
                       "-i",        "testsrc2=size=640x480:rate=25:duration=" + duration,
                       "-f",        "lavfi",
                       "-i",        "sine=frequency=440:duration=" + duration,
                       "-ac",       "2",
                       "-c:v",      "mpeg4",
                       "-q:v",      "4",
                       "-c:a",      "libmp3lame",
                       "-b:a",      "128k",
                       source});

    media::VideoEditComponent component(ffmpeg);
    const QStringList naive {"-nostdin", "-y",         "-loglevel", "error", "-i",   source,
                             "-c:v",     "mpeg2video", "-q:v",      "2",     "-bf",  "2",
                             "-threads", "1",          "-r",        "25",    "-s",   "640x480",
                             "-c:a",     "mp2",        "-ar",       "44100", "-b:a", "128k",
                             "-f",       "vob",        naiveTemp};

    std::vector<double> wallRatios, cpuRatios, naiveWallRatios, naiveCpuRatios;
    std::printf("round | direct wall/cpu | normalize+encode wall/cpu (ratio) "
                "[normalize alone] | naive wall/cpu (ratio)\n");
    for (int round = 1; round <= rounds; ++round) {
        const Cost a = runFfmpeg(ffmpeg, encodeLine(source, dir.filePath("direct.flv")));
        const Cost normalizing = normalize(component, source, temp);
        const Cost b = normalizing + runFfmpeg(ffmpeg, encodeLine(temp, dir.filePath("b.flv")));
        const Cost naiveNormalizing = runFfmpeg(ffmpeg, naive);
        const Cost n = naiveNormalizing
                + runFfmpeg(ffmpeg, encodeLine(naiveTemp, dir.filePath("n.flv")));
        wallRatios.push_back(b.wall / a.wall);
        cpuRatios.push_back(b.cpu / a.cpu);
        naiveWallRatios.push_back(n.wall / a.wall);
        naiveCpuRatios.push_back(n.cpu / a.cpu);
        std::printf("%5d | %5.2fs / %5.2fs | %5.2fs / %5.2fs (%4.2fx / %4.2fx) [%5.2fs] "
                    "| %5.2fs / %5.2fs (%4.2fx / %4.2fx)\n",
                    round,
                    a.wall,
                    a.cpu,
                    b.wall,
                    b.cpu,
                    b.wall / a.wall,
                    b.cpu / a.cpu,
                    normalizing.wall,
                    n.wall,
                    n.cpu,
                    n.wall / a.wall,
                    n.cpu / a.cpu);
        std::fflush(stdout);
    }
    std::printf("median ratio normalize+encode / direct: wall %.2fx (goal <= 2.0x), cpu %.2fx\n",
                median(wallRatios),
                median(cpuRatios));
    std::printf("median ratio naive / direct:            wall %.2fx, cpu %.2fx\n",
                median(naiveWallRatios),
                median(naiveCpuRatios));
    return 0;
}
