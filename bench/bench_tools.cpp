// SPDX-License-Identifier: GPL-3.0-or-later
// Overhead of the tool front-ends against doing the same work directly.
//
// Pairs, each run alternately (A B A B ...) in one process, with the median
// time of each side and the median of the per-round ratios A/B:
//   encode:   the ffmpeg front-end with the window's encode line for a 60 s
//             640x480 MPEG source, against the system ffmpeg run directly
//             with the arguments the front-end passes on, to the same folder;
//   grab:     the front-end with the window's frame-grab line (10 JPEGs),
//             against the system ffmpeg with the passed-on arguments;
//   metadata: flvmdi on the encoded FLV, against a plain copy of that file
//             (read, write, fsync), and against flvmeta -U run directly;
//   codecs:   the window's encode line with H.264 + AAC against the same line
//             with the classic Sorenson H.263 + MP3, 400x300 at 350 kbit/s,
//             on two 60 s sources: moving shapes over flat colours
//             (testsrc2), and fine detail that changes everywhere in every
//             frame (a mandelbrot zoom). Besides the times: each file's size
//             and its PSNR and SSIM against the source scaled to 400x300,
//             frame by frame.
// Each side's processor time (of its children) is shown beside its wall-clock
// time: other load on the machine hides the work done less there.
//
// Usage: bench_tools [rounds] [seconds] [codecs]   (defaults: 5 rounds, 60 s
// sources, every pair; "codecs" runs only that pair; the short pairs run four
// times as many rounds)

#include "ChildCpuTime.h"

#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "tools/LegacyCommand.h"
#include "tools/ModernArguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

double seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

void runOrDie(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr,
                     "failed (%d): %s %s\n",
                     process.exitCode(),
                     qPrintable(program),
                     qPrintable(arguments.join(' ')));
        std::exit(1);
    }
}

// A test source of length seconds: a lavfi video pattern at 640x480 and 25
// frames a second with a tone, as an MPEG program stream.
void makeSource(const QString &pattern, int length, const QString &path)
{
    runOrDie("ffmpeg",
             {"-nostdin", "-y",
              "-f",       "lavfi",
              "-i",       QString("%1=size=640x480:rate=25").arg(pattern),
              "-f",       "lavfi",
              "-i",       QString("sine=frequency=440:sample_rate=44100:duration=%1").arg(length),
              "-t",       QString::number(length),
              "-c:v",     "mpeg2video",
              "-b:v",     "4000k",
              "-c:a",     "mp2",
              "-f",       "mpeg",
              path});
}

// The window's choices for the encode pairs: 350 kbit/s video, 22050 Hz
// stereo sound at 64 kbit/s.
pipeline::ConversionOptions windowOptions(const QString &frameSize)
{
    pipeline::ConversionOptions options;
    options.videoBitrate = "350";
    options.videoWindow = frameSize;
    options.sampling = "22050";
    options.audioBitrate = "64";
    options.channels = "Stereo";
    return options;
}

// The arguments the front-end hands to the system ffmpeg for a window line,
// writing to output.
QStringList passedOn(const pipeline::StageCommand &command, const QString &output)
{
    const tools::LegacyParse parsed = tools::parseLegacyCommand(command.arguments.list());
    return tools::modernArguments(parsed.command, std::nullopt, output);
}

void copyFile(const QString &from, const QString &to)
{
    QFile source(from);
    QFile target(to);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "copy failed\n");
        std::exit(1);
    }
    while (!source.atEnd())
        target.write(source.read(1 << 20));
    target.flush();
    ::fsync(target.handle());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Side
{
    const char *name;
    std::function<void()> work;
    std::vector<double> times = {};
    std::vector<double> cpu = {}; // processor seconds of the children
};

// Runs the sides in turn, rounds times; side 0 is compared against the others.
void compare(const char *title, std::vector<Side> sides, int rounds)
{
    std::vector<std::vector<double>> ratios(sides.size());
    for (int round = 0; round < rounds; ++round) {
        for (Side &side : sides) {
            const double cpu = childCpuSeconds();
            side.times.push_back(seconds(side.work));
            side.cpu.push_back(childCpuSeconds() - cpu);
        }
        for (size_t i = 1; i < sides.size(); ++i)
            ratios[i].push_back(sides[0].times.back() / sides[i].times.back());
    }
    std::printf("%s (%d rounds)\n", title, rounds);
    for (const Side &side : sides)
        std::printf("  %-34s median %8.4f s (processor %8.4f s)\n",
                    side.name,
                    median(side.times),
                    median(side.cpu));
    for (size_t i = 1; i < sides.size(); ++i)
        std::printf("  ratio %s / %s: median %.4f (overhead %+.2f %%), processor time %.4f\n",
                    sides[0].name,
                    sides[i].name,
                    median(ratios[i]),
                    (median(ratios[i]) - 1) * 100,
                    median(sides[0].cpu) / median(sides[i].cpu));
    std::fflush(stdout);
}

// The file's PSNR and SSIM against the source scaled to its frame size, frame
// by frame from the first frame of each, and the number of frames compared.
struct Quality
{
    double psnr = 0;
    double ssim = 0;
    qint64 frames = 0;
    qint64 outputFrames = 0;
};

Quality quality(const QString &output,
                const QString &source,
                const QString &size,
                const QString &dir)
{
    const QString stats = dir + "/psnr.log";
    const QString frameSize = QString(size).replace('x', ':');
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start("ffmpeg",
                  {"-nostdin",
                   "-i",
                   output,
                   "-i",
                   source,
                   "-lavfi",
                   "[0:v]setpts=PTS-STARTPTS,split[a][b];"
                   "[1:v]scale="
                           + frameSize
                           + ",setsar=1,fps=25,setpts=PTS-STARTPTS,split[c][d];"
                             "[a][c]psnr=stats_file='"
                           + stats + "'[p];[b][d]ssim[s]",
                   "-map",
                   "[p]",
                   "-f",
                   "null",
                   "-",
                   "-map",
                   "[s]",
                   "-f",
                   "null",
                   "-"});
    process.waitForFinished(-1);
    const QString log = QString::fromUtf8(process.readAllStandardError());
    Quality q;
    static const QRegularExpression psnr(R"(PSNR .* average:([\d.]+))");
    static const QRegularExpression ssim(R"(SSIM .* All:([\d.]+))");
    q.psnr = psnr.match(log).captured(1).toDouble();
    q.ssim = ssim.match(log).captured(1).toDouble();
    QFile statsFile(stats);
    if (statsFile.open(QIODevice::ReadOnly))
        q.frames = statsFile.readAll().count('\n');

    QProcess count;
    count.start("ffprobe",
                {"-v",
                 "error",
                 "-select_streams",
                 "v:0",
                 "-count_packets",
                 "-show_entries",
                 "stream=nb_read_packets",
                 "-of",
                 "csv=p=0",
                 output});
    count.waitForFinished(-1);
    q.outputFrames = count.readAllStandardOutput().trimmed().toLongLong();
    if (process.exitCode() != 0 || q.psnr <= 0 || q.ssim <= 0) {
        std::fprintf(stderr,
                     "quality measure failed for %s\n%s\n",
                     qPrintable(output),
                     qPrintable(log));
        std::exit(1);
    }
    return q;
}

// H.264 + AAC against the classic codecs on one source pattern.
void compareCodecs(const QString &appFolder,
                   const QString &dir,
                   const QString &pattern,
                   int length,
                   int rounds)
{
    const QString source = dir + "/" + pattern + ".mpg";
    std::printf("making a %d s 640x480 MPEG source (%s)...\n", length, qPrintable(pattern));
    std::fflush(stdout);
    makeSource(pattern, length, source);

    pipeline::ConversionOptions options = windowOptions("400x300");
    const auto encodeLine = [&](const QString &folder) {
        QDir().mkpath(folder);
        return pipeline::encodeCommand(appFolder,
                                       source,
                                       pipeline::BuildEncoderArguments(options,
                                                                       appFolder,
                                                                       "/usr/share",
                                                                       u'/'),
                                       folder,
                                       "clip.flv",
                                       u'/');
    };
    const QString classicFolder = dir + "/classic/";
    const QString h264Folder = dir + "/h264/";
    const pipeline::StageCommand classic = encodeLine(classicFolder);
    options.codecs = pipeline::FlvCodecs::H264Aac;
    const pipeline::StageCommand h264 = encodeLine(h264Folder);
    std::printf("H.264:   %s\n", qPrintable(passedOn(h264, "out.flv").join(' ')));
    compare(qPrintable("codecs, " + pattern),
            {{"H.264 + AAC",
              [&] {
                  runOrDie(h264.program, h264.arguments.list());
              }},
             {"Sorenson H.263 + MP3 (classic)",
              [&] {
                  runOrDie(classic.program, classic.arguments.list());
              }}},
            rounds);

    std::printf("  %-32s %10s %9s %8s %14s\n", "codecs", "bytes", "PSNR dB", "SSIM", "frames");
    Quality figures[2];
    const std::pair<const char *, QString> files[] = {{"H.264 + AAC", h264Folder + "clip.flv"},
                                                      {"Sorenson H.263 + MP3 (classic)",
                                                       classicFolder + "clip.flv"}};
    for (int i = 0; i < 2; ++i) {
        figures[i] = quality(files[i].second, source, options.videoWindow, dir);
        std::printf("  %-32s %10lld %9.3f %8.5f %6lld of %5lld\n",
                    files[i].first,
                    QFile(files[i].second).size(),
                    figures[i].psnr,
                    figures[i].ssim,
                    figures[i].frames,
                    figures[i].outputFrames);
    }
    std::printf("  H.264 gain: %+.3f dB PSNR (goal >= +2), %+.5f SSIM (goal >= +0.02); size ratio "
                "%.3f\n",
                figures[0].psnr - figures[1].psnr,
                figures[0].ssim - figures[1].ssim,
                double(QFile(files[0].second).size()) / QFile(files[1].second).size());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int length = argc > 2 ? std::max(1, atoi(argv[2])) : 60;

    // The front-ends live in the application folder of this build.
    const QString appFolder = QDir(QCoreApplication::applicationDirPath() + "/../app").absolutePath();
    QTemporaryDir dir;
    const auto compareBothCodecs = [&] {
        compareCodecs(appFolder, dir.path(), "testsrc2", length, rounds);
        compareCodecs(appFolder, dir.path(), "mandelbrot", length, rounds);
    };
    if (argc > 3 && QString(argv[3]) == "codecs") {
        compareBothCodecs();
        return 0;
    }
    const QString source = dir.filePath("source.mpg");
    std::printf("making a %d s 640x480 MPEG source...\n", length);
    std::fflush(stdout);
    makeSource("testsrc", length, source);

    const pipeline::CommandArguments arguments = pipeline::BuildEncoderArguments(windowOptions(
                                                                                         "320x240"),
                                                                                 appFolder,
                                                                                 "/usr/share",
                                                                                 u'/');

    const QString viaFrontEnd = dir.path() + "/front/";
    const QString direct = dir.path() + "/direct/";
    QDir().mkpath(viaFrontEnd);
    QDir().mkpath(direct);

    const pipeline::StageCommand encode
            = pipeline::encodeCommand(appFolder, source, arguments, viaFrontEnd, "clip.flv", u'/');
    const QStringList encodeDirect = passedOn(encode, direct + "clip.flv");
    std::printf("front-end: %s %s\ndirect:    ffmpeg %s\n",
                qPrintable(encode.program),
                qPrintable(encode.arguments.list().join(' ')),
                qPrintable(encodeDirect.join(' ')));
    compare("encode",
            {{"front-end ffmpeg, progress report on",
              [&] {
                  // As the window runs it: the report on standard output.
                  qputenv("TROVEXA_PROGRESS_FD", "1");
                  runOrDie(encode.program, encode.arguments.list());
                  qunsetenv("TROVEXA_PROGRESS_FD");
              },
              {}},
             {"front-end ffmpeg", [&] { runOrDie(encode.program, encode.arguments.list()); }, {}},
             {"direct ffmpeg", [&] { runOrDie("ffmpeg", encodeDirect); }, {}}},
            rounds);

    const pipeline::StageCommand grab
            = pipeline::imageCommand(appFolder, source, "320x240", "10", viaFrontEnd, u'/');
    const QStringList grabDirect = passedOn(grab, direct + "cover%d.jpg");
    compare("frame grab (10 JPEGs)",
            {{"front-end ffmpeg", [&] { runOrDie(grab.program, grab.arguments.list()); }, {}},
             {"direct ffmpeg", [&] { runOrDie("ffmpeg", grabDirect); }, {}}},
            rounds * 4);

    const QString flv = viaFrontEnd + "clip.flv";
    const pipeline::StageCommand metadata = pipeline::metadataCommand(appFolder,
                                                                      viaFrontEnd,
                                                                      "clip.flv",
                                                                      u'/');
    std::printf("FLV for the metadata pair: %lld bytes\n", QFile(flv).size());
    compare("metadata",
            {{"flvmdi", [&] { runOrDie(metadata.program, metadata.arguments.list()); }, {}},
             {"plain copy (read, write, fsync)", [&] { copyFile(flv, direct + "copy.flv"); }, {}},
             {"flvmeta -U direct",
              [&] {
                  runOrDie("flvmeta", {"-U", flv, direct + "meta.flv"});
              },
              {}}},
            rounds * 4);

    compareBothCodecs();
    return 0;
}
