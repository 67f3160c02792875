// The queue's cost, in two parts.
//
// Conversions: ten short sources (five AVI files that are normalized first,
// five MPEG files encoded directly), converted
//   A: as ten jobs one by one, each started when the one before has ended;
//   B: through one queue of ten entries.
// The sides alternate, A then B, every round; the end prints the median
// wall-clock ratio B / A against its goal (a queue of N files costs N times
// one file, plus at most 2 %).
//
// Entries: 1 000 files given to the window at once (as a drop or the dialog
// would), timed until the window has shown the list, with the memory the
// waiting entries take; goals: under a second, a few KiB an entry.
//
// Usage: bench_queue [rounds] [seconds]   (defaults: 5 rounds, 4 s sources)

#include "BenchSupport.h"

#include "pipeline/EncodeRequest.h"
#include "pipeline/JobQueue.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QTabWidget>

namespace {

pipeline::JobSpec specFor(const QString &source, const QString &outputFolder)
{
    pipeline::JobSpec spec;
    spec.source = source;
    spec.outputFolder = outputFolder + "/";
    spec.outputName = QFileInfo(source).completeBaseName() + ".flv";
    spec.options.videoBitrate = "350";
    spec.options.videoWindow = "320x240";
    spec.options.sampling = "22050";
    spec.options.audioBitrate = "64";
    spec.options.channels = "Stereo";
    spec.normalize = pipeline::needsNormalization(source, false);
    spec.intermediate = outputFolder + "/temp.mpg";
    return spec;
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
            pipeline::Job job(1, specFor(source, outputFolder), environment, {videoEdit});
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
            queue.enqueue(specFor(source, outputFolder));
        QEventLoop loop;
        QObject::connect(&queue, &pipeline::JobQueue::idle, &loop, [&] {
            for (int row = 0; row < queue.count(); ++row)
                expectDone(queue.at(row)->state(),
                           queue.at(row)->spec().source,
                           queue.at(row)->failure());
            loop.quit();
        });
        queue.start();
        loop.exec();
    });
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
    std::printf("ten %g s sources (five AVI normalized, five MPEG direct), %d rounds\n",
                seconds,
                rounds);
    std::printf("%-6s %12s %12s %8s\n", "round", "A jobs (s)", "B queue (s)", "B / A");
    std::vector<double> ratios;
    for (int round = 1; round <= rounds; ++round) {
        const QString a = dir.filePath(QStringLiteral("a%1").arg(round));
        const QString b = dir.filePath(QStringLiteral("b%1").arg(round));
        QDir().mkpath(a);
        QDir().mkpath(b);
        const bench::Cost jobs = oneByOne(environment, videoEdit, sources, a);
        const bench::Cost queue = throughQueue(environment, videoEdit, sources, b);
        ratios.push_back(queue.wall / jobs.wall);
        std::printf("%-6d %12.2f %12.2f %8.3f\n", round, jobs.wall, queue.wall, ratios.back());
        std::fflush(stdout);
    }
    const double ratio = bench::median(ratios);
    std::printf("median B / A: %.3f (goal <= 1.02): %s\n", ratio, ratio <= 1.02 ? "met" : "MISSED");
    const QString many = dir.filePath("many");
    QDir().mkpath(many);
    entries(many);
    return 0;
}
