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
//             (read, write, fsync), and against flvmeta -U run directly.
//
// Usage: bench_tools [rounds] [seconds]   (defaults: 5 rounds, 60 s source;
// the short pairs run four times as many rounds)

#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "tools/LegacyCommand.h"
#include "tools/ModernArguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
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
    std::vector<double> times;
};

// Runs the sides in turn, rounds times; side 0 is compared against the others.
void compare(const char *title, std::vector<Side> sides, int rounds)
{
    std::vector<std::vector<double>> ratios(sides.size());
    for (int round = 0; round < rounds; ++round) {
        for (Side &side : sides)
            side.times.push_back(seconds(side.work));
        for (size_t i = 1; i < sides.size(); ++i)
            ratios[i].push_back(sides[0].times.back() / sides[i].times.back());
    }
    std::printf("%s (%d rounds)\n", title, rounds);
    for (const Side &side : sides)
        std::printf("  %-34s median %8.4f s\n", side.name, median(side.times));
    for (size_t i = 1; i < sides.size(); ++i)
        std::printf("  ratio %s / %s: median %.4f (overhead %+.2f %%)\n",
                    sides[0].name,
                    sides[i].name,
                    median(ratios[i]),
                    (median(ratios[i]) - 1) * 100);
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
    const QString source = dir.filePath("source.mpg");
    std::printf("making a %d s 640x480 MPEG source...\n", length);
    std::fflush(stdout);
    runOrDie("ffmpeg",
             {"-nostdin",
              "-y",
              "-f",
              "lavfi",
              "-i",
              QString("testsrc=size=640x480:rate=25:duration=%1").arg(length),
              "-f",
              "lavfi",
              "-i",
              QString("sine=frequency=440:sample_rate=44100:duration=%1").arg(length),
              "-c:v",
              "mpeg2video",
              "-b:v",
              "4000k",
              "-c:a",
              "mp2",
              "-f",
              "mpeg",
              source});

    pipeline::ConversionOptions options;
    options.videoBitrate = "350";
    options.videoWindow = "320x240";
    options.sampling = "22050";
    options.audioBitrate = "64";
    options.channels = "Stereo";
    const pipeline::CommandArguments arguments = pipeline::BuildEncoderArguments(options,
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
    return 0;
}
