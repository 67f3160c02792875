// SPDX-License-Identifier: GPL-3.0-or-later
// The queue's cost, in three parts.
//
// Conversions: ten short sources (five AVI files that are normalized first,
// five MPEG files encoded directly), converted
//   A: as ten jobs one by one, each started when the one before has ended;
//   B: through one queue of ten entries;
//   C: by one `trovexa --convert` of the ten files;
//   D: by the stages' own commands run directly, one after the other
//      (normalization, the encoder and metadata front-ends).
// One file: a longer 640x480 30 fps AVI source (its video encoded in the
// normalization), converted
//   E: by the job the window runs;
//   F: by `trovexa --convert`.
// The sides alternate every round; the end prints the median wall-clock
// ratios B / A, C / D and F / E against their goals (at most 2 % more).
//
// Entries: 1 000 files given to the window at once (as a drop or the dialog
// would), timed until the window has shown the list, with the memory the
// waiting entries take; goals: under a second, a few KiB an entry.
//
// Usage: bench_queue [rounds] [seconds] [one-file seconds]   (defaults: 5, 4 s, 60 s)

#include "DirectRuns.h"

#include "pipeline/EncodeRequest.h"
#include "pipeline/JobQueue.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QTabWidget>

namespace {

pipeline::JobSpec jobSpecFor(const QString &source, const QString &outputFolder)
{
    pipeline::JobSpec jobSpec;
    jobSpec.source = source;
    jobSpec.outputFolder = outputFolder + "/";
    jobSpec.outputName = QFileInfo(source).completeBaseName() + ".flv";
    jobSpec.options.videoBitrate = "350";
    jobSpec.options.videoWindow = "320x240";
    jobSpec.options.sampling = "22050";
    jobSpec.options.audioBitrate = "64";
    jobSpec.options.channels = "Stereo";
    jobSpec.normalize = pipeline::needsNormalization(source, false);
    jobSpec.intermediate = outputFolder + "/temp.mpg";
    return jobSpec;
}

void expectDone(pipeline::JobState state, const QString &source, const QString &why)
{
    if (state != pipeline::JobState::Done)
        bench::fail("not converted: " + source + "\n" + why);
}

// A: each job on its own, as the window runs one file.
bench::Cost oneByOne(const pipeline::JobEnvironment &environment,
                     media::VideoEdit &videoEdit,
                     const QStringList &sources,
                     const QString &outputFolder)
{
    return bench::measure([&] {
        for (const QString &source : sources) {
            pipeline::Job job(1, jobSpecFor(source, outputFolder), environment, {videoEdit});
            QEventLoop loop;
            QObject::connect(&job, &pipeline::Job::finished, &loop, [&](pipeline::JobState state) {
                expectDone(state, source, job.failure());
                loop.quit();
            });
            job.start();
            loop.exec();
        }
    });
}

// B: the same jobs as the entries of one queue.
bench::Cost throughQueue(const pipeline::JobEnvironment &environment,
                         media::VideoEdit &videoEdit,
                         const QStringList &sources,
                         const QString &outputFolder)
{
    return bench::measure([&] {
        pipeline::JobQueue queue(environment, videoEdit, outputFolder);
        for (const QString &source : sources)
            queue.enqueue(jobSpecFor(source, outputFolder));
        QEventLoop loop;
        QObject::connect(&queue, &pipeline::JobQueue::idle, &loop, [&] {
            for (int row = 0; row < queue.count(); ++row)
                expectDone(queue.at(row)->state(),
                           queue.at(row)->jobSpec().source,
                           queue.at(row)->failure());
            loop.quit();
        });
        queue.start();
        loop.exec();
    });
}

// C: one command line for all of them.
bench::Cost convertCommand(const QString &appFolder,
                           const QStringList &sources,
                           const QString &outputFolder)
{
    return bench::run({appFolder + "/trovexa",
                       QStringList {"--convert",
                                    "--quiet",
                                    "--output-folder",
                                    outputFolder,
                                    "--size",
                                    "320x240",
                                    "--video-bitrate",
                                    "350",
                                    "--audio-bitrate",
                                    "64",
                                    "--channels",
                                    "stereo"}
                               + sources});
}

// D: each file's stages run directly.
bench::Cost directRuns(const QString &appFolder,
                       media::VideoEditComponent &videoEdit,
                       const QStringList &sources,
                       const QString &outputFolder)
{
    bench::Cost cost;
    const QString temp = outputFolder + "/temp.mpg";
    for (const QString &source : sources) {
        const pipeline::JobSpec jobSpec = jobSpecFor(source, outputFolder);
        QString input = source;
        if (jobSpec.normalize) {
            cost = cost + bench::normalize(videoEdit, source, temp);
            input = temp;
        }
        // One after the other: the operands of + have no order.
        cost = cost
                + bench::run(bench::encodeLine(appFolder,
                                               input,
                                               jobSpec.outputFolder,
                                               jobSpec.outputName));
        cost = cost
                + bench::run(
                        bench::metadataLine(appFolder, jobSpec.outputFolder, jobSpec.outputName));
    }
    QFile::remove(temp);
    return cost;
}

void entries(const QString &folder)
{
    constexpr int Count = 1000;
    QStringList files;
    for (int i = 0; i < Count; ++i) {
        files << QStringLiteral("%1/clip %2.avi").arg(folder).arg(i, 4, 10, QChar(u'0'));
        if (!testmedia::writeFile(files.last(), "x"))
            bench::fail("cannot write " + files.last());
    }
    WindowFixture fixture;
    fixture.window().Form_Load();
    QCoreApplication::processEvents();
    const double before = bench::residentBytes();
    const bench::Cost added = bench::measure([&] {
        fixture.window().openSource(files);
        QCoreApplication::processEvents(); // the list laid out and drawn
    });
    const double perEntry = (bench::residentBytes() - before) / Count;
    if (fixture.window().sourceQueue().queue().count() != Count)
        bench::fail("not every file was added");
    std::printf("\n%d entries added in %.3f s (goal < 1 s): %s\n",
                Count,
                added.wall,
                added.wall < 1 ? "met" : "MISSED");
    std::printf("memory per waiting entry: %.1f KiB (goal <= 16 KiB): %s\n",
                perEntry / 1024,
                perEntry <= 16 * 1024 ? "met" : "MISSED");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const double seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4;
    const double longSeconds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 60;
    const QString appFolder = bench::applicationFolder();
    qputenv("TROVEXA_APP_DIR", appFolder.toLocal8Bit());
    QTemporaryDir dir;
    QStringList sources;
    for (int i = 0; i < 10; ++i) {
        const QString path = dir.filePath(
                QStringLiteral("source%1.%2").arg(i).arg(i % 2 ? "mpg" : "avi"));
        testmedia::VideoSpec video;
        video.seconds = seconds;
        if (i % 2 == 0)
            video.extraOutputOptions = {"-c:v", "mpeg4", "-c:a", "libmp3lame"};
        if (!testmedia::makeVideo(path, video))
            bench::fail("cannot make " + path);
        sources << path;
    }
    const pipeline::JobEnvironment environment {appFolder, appFolder, "/usr/share", u'/'};
    media::VideoEditComponent videoEdit(media::findSystemFfmpeg(appFolder));
    const QString longSource = dir.filePath("long.avi");
    testmedia::VideoSpec longVideo;
    longVideo.seconds = longSeconds;
    longVideo.width = 640;
    longVideo.height = 480;
    longVideo.fps = 30;
    longVideo.extraOutputOptions = {"-c:v", "mpeg4", "-c:a", "libmp3lame"};
    if (!testmedia::makeVideo(longSource, longVideo))
        bench::fail("cannot make " + longSource);
    std::printf("ten %g s sources (five AVI normalized, five MPEG direct) and one %g s 640x480 30 "
                "fps AVI, %d "
                "rounds\n",
                seconds,
                longSeconds,
                rounds);
    std::printf("%-6s %9s %9s %9s %9s %9s %9s %7s %7s %7s\n",
                "round",
                "A jobs",
                "B queue",
                "C cli",
                "D direct",
                "E job",
                "F cli",
                "B/A",
                "C/D",
                "F/E");
    std::vector<double> queueRatios, cliRatios, oneRatios;
    for (int round = 1; round <= rounds; ++round) {
        const auto folder = [&](const char *side) {
            const QString path = dir.filePath(QStringLiteral("%1%2").arg(side).arg(round));
            QDir().mkpath(path);
            return path;
        };
        const bench::Cost a = oneByOne(environment, videoEdit, sources, folder("a"));
        const bench::Cost b = throughQueue(environment, videoEdit, sources, folder("b"));
        const bench::Cost c = convertCommand(appFolder, sources, folder("c"));
        const bench::Cost d = directRuns(appFolder, videoEdit, sources, folder("d"));
        const bench::Cost e = oneByOne(environment, videoEdit, {longSource}, folder("e"));
        const bench::Cost f = convertCommand(appFolder, {longSource}, folder("f"));
        queueRatios.push_back(b.wall / a.wall);
        cliRatios.push_back(c.wall / d.wall);
        oneRatios.push_back(f.wall / e.wall);
        std::printf("%-6d %9.2f %9.2f %9.2f %9.2f %9.2f %9.2f %7.3f %7.3f %7.3f\n",
                    round,
                    a.wall,
                    b.wall,
                    c.wall,
                    d.wall,
                    e.wall,
                    f.wall,
                    queueRatios.back(),
                    cliRatios.back(),
                    oneRatios.back());
        std::fflush(stdout);
    }
    for (const auto &[what, ratios] :
         {std::pair {"B / A (queue against jobs one by one)", &queueRatios},
          std::pair {"C / D (--convert against direct runs)", &cliRatios},
          std::pair {"F / E (--convert of one file against its job)", &oneRatios}}) {
        const double ratio = bench::median(*ratios);
        std::printf("median %s: %.3f (goal <= 1.02): %s\n",
                    what,
                    ratio,
                    ratio <= 1.02 ? "met" : "MISSED");
    }
    const QString many = dir.filePath("many");
    QDir().mkpath(many);
    entries(many);
    return 0;
}
