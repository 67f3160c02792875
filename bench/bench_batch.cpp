// SPDX-License-Identifier: GPL-3.0-or-later
// Long batches, in three parts.
//
// Side by side: twenty short MPEG sources with the classic codec, converted
//   A: by one `trovexa --convert` of all twenty;
//   B: by two `trovexa --convert --skip-existing` of the same twenty into
//      the same folder, started together (each output's lock shares them out).
// The sides alternate every round; the end prints the median of B / A
// against its goal (at most 0.65 on two cores).
//
// Saving the queue: a queue of ten entries run through the window, with
// every write of its saved queue timed; the end prints the share of the
// queue's wall time spent writing (goal: at most 1 %).
//
// Restoring: a saved queue of 1 000 entries read and restored into a
// queue, the model the window's Queue tab shows (goal: under 1 s).
//
// Usage: bench_batch [rounds]   (default 3)

#include "BenchSupport.h"

#include "pipeline/JobQueue.h"
#include "pipeline/QueueStore.h"
#include "support/TestMedia.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

std::unique_ptr<QProcess> startConvert(const QStringList &arguments, const QString &cache)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.insert("XDG_CACHE_HOME", cache);
    process->setProcessEnvironment(environment);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(bench::applicationFolder() + "/trovexa", QStringList {"--convert"} + arguments);
    return process;
}

void expectEnd(QProcess &process)
{
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        bench::fail("a run failed: " + process.readAllStandardError());
}

double sideBySide(const QStringList &sources, const QString &folder, int processes)
{
    const QString out = folder + "/out";
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    const QStringList line = QStringList {"--output-folder", out, "--skip-existing"} + sources;
    return bench::measure([&] {
               std::vector<std::unique_ptr<QProcess>> runs;
               for (int i = 0; i < processes; ++i)
                   runs.push_back(startConvert(line, folder + "/cache"));
               for (auto &run : runs)
                   expectEnd(*run);
           })
            .wall;
}

pipeline::SavedEntry entryFor(const QString &source, const QString &out)
{
    pipeline::SavedEntry entry;
    entry.jobSpec.source = source;
    entry.jobSpec.outputFolder = out + "/";
    entry.jobSpec.outputName = QFileInfo(source).completeBaseName() + ".flv";
    entry.jobSpec.options.videoBitrate = "350";
    entry.jobSpec.options.videoWindow = "320x240";
    entry.jobSpec.options.sampling = "22050";
    entry.jobSpec.options.audioBitrate = "64";
    entry.jobSpec.options.channels = "Stereo";
    return entry;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qputenv("TROVEXA_APP_DIR", bench::applicationFolder().toLocal8Bit());
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QTemporaryDir folder;
    QStringList sources;
    for (int i = 1; i <= 20; ++i) {
        sources << folder.filePath(QString("s%1.mpg").arg(i));
        if (!testmedia::makeVideo(sources.last(), {2}))
            bench::fail("cannot make the sources");
    }

    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        const bool oneFirst = round % 2 == 0;
        const double first = sideBySide(sources, folder.path(), oneFirst ? 1 : 2);
        const double second = sideBySide(sources, folder.path(), oneFirst ? 2 : 1);
        const double one = oneFirst ? first : second, two = oneFirst ? second : first;
        ratios.push_back(two / one);
        std::printf("round %d: one process %.2f s, two side by side %.2f s\n", round + 1, one, two);
    }

    // Saving: the window's queue with its saved queue, each write timed.
    WindowFixture f;
    f.queueFile = folder.filePath("state/queue.json");
    f.window().Form_Load();
    const QString out = folder.filePath("queue-out");
    QDir().mkpath(out);
    f.dialogs.folderAnswers << out;
    QTest::mouseClick(f.ui().cmdOutput, Qt::LeftButton);
    f.window().openSource(sources.mid(0, 10));
    pipeline::JobQueue &queue = f.window().sourceQueue().queue();
    int writes = 0;
    qint64 lastModified = 0;
    double writing = 0;
    const double wall = bench::measure([&] {
                            QTest::mouseClick(f.ui().cmdEncode, Qt::LeftButton);
                            while (queue.isRunning()) {
                                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
                                const qint64 modified
                                        = QFileInfo(f.queueFile).lastModified().toMSecsSinceEpoch();
                                if (modified != lastModified) {
                                    lastModified = modified;
                                    ++writes;
                                }
                            }
                        }).wall;
    if (queue.count() != 10 || pipeline::stateText(*queue.at(9)) != "done")
        bench::fail(QString("the queue did not run: %1 entries, %2 boxes")
                            .arg(queue.count())
                            .arg(f.boxes.shown().isEmpty() ? QString()
                                                           : f.boxes.shown().last().prompt));
    // The writes as the window makes them, timed on their own.
    const QList<pipeline::SavedEntry> saved = queue.savedEntries();
    const pipeline::QueueFile file(f.queueFile);
    writing = bench::measure([&] {
                  for (int i = 0; i < 100; ++i)
                      file.write(saved);
              }).wall
            / 100;

    // Restoring 1 000 entries into a fresh window.
    QList<pipeline::SavedEntry> many;
    for (int i = 0; i < 1000; ++i)
        many << entryFor(folder.filePath(QString("many/clip%1.mpg").arg(i)), out);
    const QString manyFile = folder.filePath("state-many/queue.json");
    pipeline::QueueFile(manyFile).write(many);
    const pipeline::JobEnvironment environment {bench::applicationFolder(),
                                                bench::applicationFolder(),
                                                "/usr/share"};
    media::VideoEditComponent videoEdit {media::findSystemFfmpeg(bench::applicationFolder())};
    pipeline::JobQueue restored(environment, videoEdit, folder.filePath("cache"));
    const double restore = bench::measure([&] {
                               const pipeline::QueueRead read = pipeline::QueueFile(manyFile).read();
                               restored.restore(read.entries);
                           }).wall;
    if (restored.count() != 1000)
        bench::fail("the saved queue was not restored");

    const double ratio = bench::median(ratios);
    const double share = writes * writing / wall;
    std::printf("two processes / one: %.3f (goal at most 0.65) %s\n",
                ratio,
                ratio <= 0.65 ? "met" : "MISSED");
    std::printf(
            "saving the queue: %d writes of %.2f ms in a %.1f s queue = %.3f %% (goal at most 1 "
            "%%) %s\n",
            writes,
            writing * 1000,
            wall,
            share * 100,
            share <= 0.01 ? "met" : "MISSED");
    std::printf("restoring 1000 entries: %.3f s (goal under 1 s) %s\n",
                restore,
                restore < 1 ? "met" : "MISSED");
    return 0;
}
