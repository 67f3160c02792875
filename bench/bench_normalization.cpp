// SPDX-License-Identifier: GPL-3.0-or-later
// Normalization plus encode against one direct encode of the same source,
// for the kinds of source people bring:
//   AVI: 640x480 25 fps MPEG-4 with stereo MP3 (an older camera or download),
//        whose video the intermediate takes as it is;
//   AVI30: the same at 30 fps, whose video must be encoded;
//   MP4: 1920x1080 30 fps H.264 High with AAC (a phone);
//   VOB: 720x576 25 fps MPEG-2 with AC-3 (a PAL DVD).
// A: the window's encode line, run through the ffmpeg front-end as the
//    program runs it, straight from the source.
// B: the video-editing component writes temp.mpg, driven as the program
//    drives it, then the same encode line reads temp.mpg.
// The sides alternate, A then B, every round for every source. Each round
// prints wall-clock and processor times (of the children), and the end the
// median ratios B / A per source against their goals. Processor time shows
// the work done even when other load on the machine makes the wall-clock
// figures noisy; "cores" is the normalizing pass's processor time over its
// wall-clock time.
//
// Usage: bench_normalization [rounds] [seconds]   (defaults: 5 rounds, 30 s)

#include "DirectRuns.h"

#include "media/FrameSize.h"
#include "media/VideoEditComponent.h"
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using bench::Cost;
using bench::fail;
using bench::measure;
using bench::median;

using bench::Command;
using bench::encodeLine;
using bench::normalize;
using bench::run;

struct Source
{
    const char *name;
    const char *file;
    const char *description;
    double goal; // median wall-clock ratio B / A
    QStringList making; // ffmpeg options after the lavfi inputs
    QString picture; // lavfi video source
};

// The ratios B / A of one source, a round each.
struct Ratios
{
    std::vector<double> wall;
    std::vector<double> cpu;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
    // The front-end lives in the application folder of this build.
    const QString appFolder = bench::applicationFolder();
    const QString ffmpeg = media::findSystemFfmpeg(appFolder);
    QTemporaryDir dir;
    const QString direct = dir.path() + "/direct/";
    const QString normalized = dir.path() + "/normalized/";
    QDir().mkpath(direct);
    QDir().mkpath(normalized);
    const QString temp = dir.filePath("temp.mpg");

    const QString duration = QString::number(seconds);
    const std::vector<Source> sources = {
            {"AVI",
             "source.avi",
             "640x480 25 fps MPEG-4 AVI with stereo MP3 (its video copied)",
             1.3,
             {"-c:v", "mpeg4", "-q:v", "4", "-c:a", "libmp3lame", "-b:a", "128k"},
             "testsrc2=size=640x480:rate=25"},
            {"AVI30",
             "source30.avi",
             "640x480 30 fps MPEG-4 AVI with stereo MP3 (its video encoded)",
             2.0,
             {"-c:v", "mpeg4", "-q:v", "4", "-c:a", "libmp3lame", "-b:a", "128k"},
             "testsrc2=size=640x480:rate=30"},
            {"MP4",
             "source.mp4",
             "1920x1080 30 fps H.264 High MP4 with AAC",
             1.5,
             {"-c:v",
              "libx264",
              "-preset",
              "veryfast",
              "-profile:v",
              "high",
              "-pix_fmt",
              "yuv420p",
              "-b:v",
              "10M",
              "-c:a",
              "aac",
              "-b:a",
              "160k"},
             "testsrc2=size=1920x1080:rate=30"},
            {"VOB",
             "source.vob",
             "720x576 25 fps MPEG-2 PAL DVD VOB with AC-3",
             1.3,
             // As DVD authoring writes it: 6 Mbit/s video, 448 kbit/s audio.
             {"-target", "pal-dvd"},
             "testsrc2=size=720x576:rate=25"},
    };

    std::printf("ffmpeg: %s\nfront-end: %s/ffmpeg\n", qPrintable(ffmpeg), qPrintable(appFolder));
    for (const Source &source : sources) {
        std::printf("making %s: %d s %s\n", source.name, seconds, source.description);
        std::fflush(stdout);
        run({ffmpeg,
             QStringList {"-nostdin",
                          "-y",
                          "-loglevel",
                          "error",
                          "-f",
                          "lavfi",
                          "-i",
                          source.picture + ":duration=" + duration,
                          "-f",
                          "lavfi",
                          "-i",
                          "sine=frequency=440:sample_rate=48000:duration=" + duration,
                          "-ac",
                          "2"}
                     + source.making + QStringList {dir.filePath(source.file)}});
    }

    // A first direct encode of each source reads it once before the
    // measured rounds.
    std::vector<Command> straight;
    for (const Source &source : sources) {
        straight.push_back(encodeLine(appFolder, dir.filePath(source.file), direct));
        run(straight.back());
    }

    media::VideoEditComponent component(ffmpeg);
    std::vector<Ratios> ratios(sources.size());
    std::printf("round source | direct wall/cpu | normalize+encode wall/cpu (ratio) "
                "| normalize alone wall/cpu (cores)\n");
    for (int round = 1; round <= rounds; ++round) {
        for (size_t i = 0; i < sources.size(); ++i) {
            const Source &source = sources[i];
            const QString path = dir.filePath(source.file);
            const Cost a = run(straight[i]);
            const Cost normalizing = normalize(component, path, temp);
            const Cost b = normalizing + run(encodeLine(appFolder, temp, normalized));
            ratios[i].wall.push_back(b.wall / a.wall);
            ratios[i].cpu.push_back(b.cpu / a.cpu);
            std::printf("%5d %-6s | %5.2fs / %5.2fs | %5.2fs / %5.2fs (%4.2fx / %4.2fx) "
                        "| %5.2fs / %5.2fs (%3.1f)\n",
                        round,
                        source.name,
                        a.wall,
                        a.cpu,
                        b.wall,
                        b.cpu,
                        b.wall / a.wall,
                        b.cpu / a.cpu,
                        normalizing.wall,
                        normalizing.cpu,
                        normalizing.cpu / normalizing.wall);
            std::fflush(stdout);
        }
    }
    std::printf("median ratio normalize+encode / direct encode (%d rounds, %d s sources):\n",
                rounds,
                seconds);
    for (size_t i = 0; i < sources.size(); ++i) {
        const Source &source = sources[i];
        const double wall = median(ratios[i].wall);
        std::printf("  %-4s wall %.2fx (goal <= %.1fx: %s), cpu %.2fx\n",
                    source.name,
                    wall,
                    source.goal,
                    wall <= source.goal ? "met" : "missed",
                    median(ratios[i].cpu));
    }
    return 0;
}
