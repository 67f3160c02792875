// SPDX-License-Identifier: GPL-3.0-or-later
// The window's queue with the real tools: rows of data/queue_runs.txt.
#include "support/DataRows.h"
#include "support/WindowFixture.h"

#include "app/ProgressStrip.h"
#include "app/QueuePage.h"
#include "pipeline/JobQueue.h"
#include "pipeline/QueueStore.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

using Shown = platform::RecordingMessageBoxes::Shown;

namespace {

// The entries' states in queue order, separated by "|".
QString states(const pipeline::JobQueue &queue)
{
    QStringList shown;
    for (int row = 0; row < queue.count(); ++row)
        shown << pipeline::stateText(*queue.at(row));
    return shown.join('|');
}

// Whether the queue file holds the entries as the queue shows them, waiting for the save.
bool savedAsShown(const QString &file, const pipeline::JobQueue &queue)
{
    return QTest::qWaitFor([&] {
        const pipeline::QueueRead read = pipeline::QueueFile(file).read();
        return read.status == pipeline::QueueRead::Status::Read
                && pipeline::queueToJson(read.entries)
                == pipeline::queueToJson(queue.savedEntries());
    });
}

} // namespace

class QueueTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_cache;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CACHE_HOME", m_cache.path().toLocal8Bit()); }

    // The states shown, the files written, one summary and no other box; no
    // intermediate file left; every output a whole FLV file.
    void runs_data() { addDataRows("queue_runs.txt", "runs"); }
    void runs()
    {
        QFETCH(QStringList, row);
        const QString existing = row[2], action = row[4];
        WindowFixture f;
        f.window().Form_Load();
        QTemporaryDir media;
        const QString out = media.filePath("out");
        QVERIFY(QDir().mkpath(out));
        QStringList sources;
        for (const QString &made : row[1].split('|')) {
            const QStringList parts = made.split(':'); // name, seconds, frame rate
            const QString path = media.filePath(parts[0]);
            const double seconds = parts.value(1, "1").toDouble(),
                         fps = parts.value(2, "25").toDouble();
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(made.startsWith("broken")
                            ? testmedia::writeFile(path, QByteArray(4096, 'x'))
                            : testmedia::makeVideo(path, {seconds, 320, 240, fps}));
            sources << path;
        }
        if (!existing.isEmpty())
            QVERIFY(testmedia::writeFile(out + "/" + existing, "earlier"));
        f.dialogs.folderAnswers << out;
        QTest::mouseClick(f.ui().cmdOutput, Qt::LeftButton);
        f.window().openSource(sources);
        pipeline::JobQueue &queue = f.window().sourceQueue().queue();
        QCOMPARE(queue.count(), sources.size());
        for (const QString &path : std::as_const(sources))
            if (path.contains("gone"))
                QVERIFY(QFile::remove(path));
        QList<int> answers;
        for (const QString &answer : row[3].split(',', Qt::SkipEmptyParts))
            answers << answer.toInt();
        f.boxes.scriptAnswers(answers);
        // A cancelled entry stops at once: no report after the click.
        bool asked = false, clicked = false;
        int reportsAfterTheClick = 0;
        if (!action.isEmpty()) {
            pipeline::Job *first = queue.at(0);
            auto *button = f.window().progressStrip().findChild<QPushButton *>(
                    action == "all" ? "cmdCancelAll" : "cmdCancelStage");
            QObject::connect(first, &pipeline::Job::progressed, button, [&, button] {
                reportsAfterTheClick += clicked;
                if (!std::exchange(asked, true)) // the first report
                    QTimer::singleShot(0, button, [&, button] {
                        button->click();
                        clicked = true;
                    });
            });
        }
        // The first entry's state while it runs, as the State column shows it.
        QStringList shownWhileRunning;
        const auto stateShown = [&](const QModelIndex &from) {
            using enum pipeline::JobState;
            const pipeline::JobState now = queue.at(0)->state();
            const QModelIndex state = queue.index(0, pipeline::JobQueue::StateColumn);
            if (from.row() == 0 && now != Waiting && !pipeline::isFinal(now))
                shownWhileRunning << state.data().toString();
        };
        QObject::connect(&queue, &QAbstractItemModel::dataChanged, &queue, stateShown);
        // While an entry runs, the controls that would start or change a job are off.
        QStringList enabledWhileRunning;
        const auto controlsShown = [&](pipeline::Job *job) {
            for (QWidget *control : QWidgetList {f.ui().cmdEncode, f.ui().cmdInput})
                if (job && control->isEnabled())
                    enabledWhileRunning << control->objectName();
        };
        QObject::connect(&queue, &pipeline::JobQueue::currentChanged, &queue, controlsShown);
        QList<int> ends(queue.count()); // each entry's end comes once, a cancelled waiting one's too
        for (int i = 0; i < queue.count(); ++i)
            QObject::connect(queue.at(i), &pipeline::Job::finished, &queue, [&ends, i] {
                ++ends[i];
            });
        QTest::mouseClick(f.ui().cmdEncode, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !queue.isRunning(); }, 120000));
        QCOMPARE(ends, QList<int>(queue.count(), 1));
        QCOMPARE(enabledWhileRunning, QStringList());
        QCOMPARE(reportsAfterTheClick, 0);
        // A stage's share done only grows; below 100 % the time left is told.
        const QRegularExpression running(
                "(normalizing|encoding)( (\\d+) %(, \\d\\d:\\d\\d:\\d\\d left)?)?"
                "|writing metadata|grabbing pictures|cancelling");
        int before = 0;
        QString stage;
        for (const QString &text : std::as_const(shownWhileRunning)) {
            const QRegularExpressionMatch match = running.match(text);
            QVERIFY2(match.hasMatch() && match.capturedLength() == text.size(), qPrintable(text));
            if (match.captured(1) != std::exchange(stage, match.captured(1)))
                before = 0;
            QVERIFY2(match.captured(3).toInt() >= before && match.captured(3).toInt() <= 100,
                     qPrintable(shownWhileRunning.join('|')));
            before = match.captured(3).toInt();
            if (!match.captured(2).isEmpty() && before < 100)
                QVERIFY2(!match.captured(4).isEmpty(), qPrintable(text));
        }
        QVERIFY(!row[5].startsWith("done") || !shownWhileRunning.filter(" %").isEmpty());

        QCOMPARE(states(queue), row[5]);
        QCOMPARE(testmedia::folderEntries(out).join(' '), row[6]);
        for (const QString &name : testmedia::folderEntries(out))
            if (name != existing || row[3] == "6")
                QCOMPARE(testmedia::run("flvmeta", {"--check", "--quiet", out + "/" + name}).exitCode,
                         0);
        QCOMPARE(testmedia::readFile(out + "/" + existing) == "earlier", row[3] == "7");
        QCOMPARE(f.boxes.shown().size(), answers.size() + 1);
        QCOMPARE(f.boxes.shown().last(), (Shown {row[7], 64, "Message"}));
        QVERIFY(QTest::qWaitFor([] { return testmedia::childProcesses().isEmpty(); }));
        QCOMPARE(testmedia::folderEntries(m_cache.filePath("trovexa")), QStringList());
        QVERIFY(f.ui().cmdEncode->isEnabled());
        // The last stage's command line is shown, never an earlier one.
        if (row[5].endsWith("done"))
            QVERIFY2(f.ui().txtApp->text().contains("flvmdi"), qPrintable(f.ui().txtApp->text()));
    }

    // The queue saved by an earlier session, at the next start: the states
    // shown, the boxes, the files on disk.
    void restores_data() { addDataRows("queue_runs.txt", "restore"); }
    void restores()
    {
        QFETCH(QStringList, row);
        const QString saved = row[1];
        QTemporaryDir media;
        const QString out = media.filePath("out") + "/", state = media.filePath("state");
        QVERIFY(QDir().mkpath(out) && QDir().mkpath(state));
        QList<pipeline::SavedEntry> entries;
        for (const QString &entry : row[2].split(' ', Qt::SkipEmptyParts)) {
            // name:state; a running entry has half written its output.
            const QString name = entry.section(':', 0, 0), kind = entry.section(':', 1);
            pipeline::SavedEntry e;
            e.jobSpec.source = media.filePath(name + ".mpg");
            e.jobSpec.outputFolder = out;
            e.jobSpec.outputName = name + ".flv";
            e.jobSpec.options.videoBitrate = "350";
            e.jobSpec.options.videoWindow = "320x240";
            e.jobSpec.options.sampling = "22050";
            e.jobSpec.options.audioBitrate = "64";
            e.jobSpec.options.channels = "Mono";
            e.state = kind == "done"    ? pipeline::JobState::Done
                    : kind == "running" ? pipeline::JobState::Encoding
                    : kind == "failed"  ? pipeline::JobState::Failed
                                        : pipeline::JobState::Waiting;
            e.failure = kind == "failed" ? "it went wrong" : "";
            if (name != "gone")
                QVERIFY(testmedia::makeVideo(e.jobSpec.source, {1}));
            if (kind == "done" || kind == "running")
                QVERIFY(testmedia::writeFile(out + e.jobSpec.outputName,
                                             kind == "done" ? "finished" : "FLV half"));
            entries << e;
        }
        const QString file = state + "/queue.json";
        QByteArray bytes = pipeline::queueToJson(entries);
        if (saved == "newer" || saved == "older")
            bytes.replace("\"format\": 1", saved == "newer" ? "\"format\": 2" : "\"format\": 0");
        else if (saved == "damaged" || saved == "held") // held: its name aside is a folder's
            bytes.chop(bytes.size() / 2);
        else if (const QStringList edit = saved.split("=>"); edit.size() == 2) { // one value
            QVERIFY(bytes.contains(edit[0].toUtf8()));
            bytes.replace(edit[0].toUtf8(), edit[1].toUtf8());
        }
        if (!saved.isEmpty())
            QVERIFY(saved == "piped" ? ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0
                                     : testmedia::writeFile(file, bytes)
                                    && (saved != "held" || QDir().mkpath(file + ".bad/x")));

        WindowFixture f;
        f.queueFile = file;
        f.boxes.scriptAnswers(row[3].isEmpty() ? QList<int> {} : QList<int> {row[3].toInt()});
        f.window().Form_Load();
        pipeline::JobQueue &queue = f.window().sourceQueue().queue();
        QCOMPARE(states(queue), row[4]);
        QCOMPARE(f.ui().sstThis->currentWidget() == f.window().sourceQueue().page(),
                 queue.count() > 0);
        QStringList boxes;
        for (const Shown &box : f.boxes.shown())
            boxes << QString(box.prompt).replace(state, "STATE").replace("\r\n", " ");
        QCOMPARE(boxes.join('|'), row[5]);
        QCOMPARE(testmedia::folderEntries(state).join(' '), row[6]);
        QCOMPARE(testmedia::folderEntries(out).join(' '), row[7]);
        QVERIFY(!queue.isRunning()); // nothing starts by itself
        if (row[8].isEmpty())
            return;
        f.dialogs.folderAnswers << out;
        QTest::mouseClick(f.ui().cmdEncode, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !queue.isRunning(); }, 120000));
        QCOMPARE(states(queue), row[8]);
        QVERIFY(savedAsShown(file, queue)); // what this session did, in its place
    }

    // The queue page's buttons act on the selected entries: a selection moves as a block and stops
    // at either end, Remove takes it out, Retry makes a failed entry wait again, Apply Current
    // Options gives waiting entries the window's options and Remove Finished takes every ended one.
    void thePageEditsTheQueue()
    {
        WindowFixture f;
        QTemporaryDir media, state;
        f.queueFile = state.filePath("queue.json"); // each edit saved
        f.window().Form_Load();
        QStringList sources;
        for (const char *name : {"a.mpg", "b.mpg", "c.mpg", "d.mpg", "e.mpg"}) {
            sources << media.filePath(name);
            QVERIFY(testmedia::writeFile(sources.last(), "no video")); // fails when run
        }
        f.ui().lblOutDir->setText(media.path() + "/");
        f.window().openSource(sources);
        pipeline::JobQueue &queue = f.window().sourceQueue().queue();
        QueuePage *page = f.window().sourceQueue().page();
        QCOMPARE(f.ui().sstThis->currentWidget(), page); // where the files went
        auto *list = page->findChild<QTableView *>("lstQueue");
        const auto order = [&] {
            QString names;
            for (int row = 0; row < queue.count(); ++row)
                names += QFileInfo(queue.at(row)->jobSpec().source).baseName();
            return names;
        };
        const auto select = [&](const QList<int> &rows) {
            list->clearSelection();
            for (const int row : rows)
                list->selectionModel()->select(queue.index(row, 0),
                                               QItemSelectionModel::Select
                                                       | QItemSelectionModel::Rows);
        };
        const auto press = [&](const char *name) {
            QTest::mouseClick(page->findChild<QPushButton *>(name), Qt::LeftButton);
        };
        // clang-format off
        const std::tuple<QList<int>, const char *, const char *> steps[] = {
            {{1, 2}, "cmdQueueUp", "bcade"}, {{}, "cmdQueueUp", "bcade"},
            {{}, "cmdQueueDown", "abcde"}, {{3, 4}, "cmdQueueDown", "abcde"},
            {{0, 2}, "cmdQueueDown", "badce"}, {{1, 3}, "cmdQueueRemove", "bde"}};
        // clang-format on
        for (const auto &[rows, button, expected] : steps) {
            if (!rows.isEmpty())
                select(rows);
            press(button);
            QCOMPARE(order(), QString(expected));
            QVERIFY(savedAsShown(f.queueFile, queue));
        }
        QVERIFY(f.boxes.shown().isEmpty());

        // Every entry runs and fails; the one retried waits again, and only a
        // waiting entry takes the window's options.
        QTest::mouseClick(f.ui().cmdEncode, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !queue.isRunning(); }, 60000));
        QCOMPARE(f.boxes.shown().size(), 1); // the summary
        select({1});
        const auto *problem = page->findChild<QPlainTextEdit *>("txtQueueProblem");
        QVERIFY(!problem->toPlainText().isEmpty()); // the selected entry's failure
        const auto tip = [&](int column) {
            return queue.index(1, column).data(Qt::ToolTipRole);
        };
        QVERIFY(tip(0) == sources[3] && tip(1) == media.filePath("d.flv")
                && tip(2) == problem->toPlainText()); // whole paths, the failure
        press("cmdQueueRetry");
        QCOMPARE(states(queue), QString("failed|waiting|failed"));
        QCOMPARE(problem->toPlainText(), QString()); // it has none now
        QVERIFY(savedAsShown(f.queueFile, queue));
        const QString before = queue.at(0)->jobSpec().options.videoBitrate;
        QComboBox *rates = f.ui().cmbVideoBitrate; // the entries were added with its choice
        rates->setCurrentIndex(rates->currentIndex() == 0 ? 1 : 0);
        select({0, 1});
        press("cmdQueueApply");
        const QString applied = queue.at(1)->jobSpec().options.videoBitrate;
        QCOMPARE(queue.at(0)->jobSpec().options.videoBitrate, before);
        QVERIFY2(applied != before && rates->currentText().startsWith(applied), qPrintable(applied));
        QVERIFY(!queue.replaceSpec(0, queue.at(1)->jobSpec())); // an ended entry keeps its own
        press("cmdQueueClear");
        QVERIFY(order() == "d" && savedAsShown(f.queueFile, queue));
        QCOMPARE(testmedia::folderEntries(media.path()).size(), 5); // nothing written
    }

    // A start that is refused starts no entry and writes nothing: the
    // entries still wait, the box says why and the control to mend is shown.
    void refusedStarts_data() { addDataRows("queue_runs.txt", "refused"); }
    void refusedStarts()
    {
        QFETCH(QStringList, row);
        WindowFixture f;
        f.window().Form_Load();
        QTemporaryDir media;
        const QString out = media.filePath("out");
        QVERIFY(QDir().mkpath(out) && testmedia::makeVideo(media.filePath("a.mpg"), {1})
                && QFile::copy(media.filePath("a.mpg"), media.filePath("b.mpg")));
        if (row[1] == "yes") {
            f.dialogs.folderAnswers << out;
            QTest::mouseClick(f.ui().cmdOutput, Qt::LeftButton);
        }
        if (!row[2].isEmpty()) {
            f.ui().chkWatermark->setCheckState(Qt::Checked);
            f.ui().txtWatermark->setPlainText(row[2].trimmed());
        }
        f.window().openSource({media.filePath("a.mpg"), media.filePath("b.mpg")});
        f.ui().sstThis->setCurrentIndex(2);
        QTest::mouseClick(f.ui().cmdEncode, Qt::LeftButton);
        pipeline::JobQueue &queue = f.window().sourceQueue().queue();
        QVERIFY(!queue.isRunning() && queue.count() == 2);
        QCOMPARE(states(queue), QString("waiting|waiting"));
        QCOMPARE(f.boxes.shown(), (QList<Shown> {{row[3], 16, "Error"}}));
        QCOMPARE(f.ui().sstThis->currentIndex(), row[4].toInt());
        QVERIFY(f.window().focusWidget());
        QCOMPARE(f.window().focusWidget()->objectName(), row[5]);
        QCOMPARE(testmedia::folderEntries(out), QStringList());
        QVERIFY(testmedia::childProcesses().isEmpty() && f.ui().cmdEncode->isEnabled());
    }
};

QTEST_MAIN(QueueTest)
#include "test_queue.moc"
