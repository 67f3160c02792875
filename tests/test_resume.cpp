// SPDX-License-Identifier: GPL-3.0-or-later
// Batches of `trovexa --convert` that are interrupted and run again, and
// runs side by side over one folder: data/resume.txt.
#include "support/DataRows.h"
#include "support/TestMedia.h"

#include "media/FlvCheck.h"
#include "pipeline/Job.h"

#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A `trovexa --convert` process in folder, with no display.
std::unique_ptr<QProcess> startConvert(const QStringList &arguments, const QString &folder)
{
    auto process = std::make_unique<QProcess>();
    testmedia::prepareConvert(*process, folder, folder + "/cache");
    process->start(applicationFolderUnderTest() + "/trovexa", QStringList {"--convert"} + arguments);
    return process;
}

int finish(QProcess &process)
{
    if (!process.waitForFinished(180000))
        process.kill();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The report's lines, by source file name: "state|reason" (several lines of
// one source joined by "; ").
QMap<QString, QString> reportLines(const QString &path, int &count)
{
    QMap<QString, QString> lines;
    count = 0;
    for (const QByteArray &line : testmedia::readFile(path).split('\n')) {
        if (line.isEmpty())
            continue;
        ++count;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        const QString name = QFileInfo(object["source"].toString()).fileName();
        const QString entry = object["state"].toString() + "|" + object["reason"].toString();
        lines[name] += (lines[name].isEmpty() ? "" : "; ") + entry;
        const double seconds = object["seconds"].toDouble(); // in tenths
        if (object["state"] == "converted"
            && (seconds <= 0 || qAbs(std::remainder(seconds * 10, 1.0)) > 1e-9
                || QFileInfo(object["output"].toString()).suffix() != "flv"))
            lines[name] += " (no seconds or output)";
    }
    return lines;
}

// Every output in folder passes flvmeta's check and ours, and nothing else
// is there (no temporary, no lock).
QString badOutputs(const QString &folder, int expected)
{
    QStringList bad;
    const QStringList names = testmedia::folderEntries(folder);
    for (const QString &name : names) {
        const QString path = folder + "/" + name;
        if (!name.endsWith(".flv") || !media::isWholeFlv(path)
            || testmedia::run("flvmeta", {"--check", "--quiet", path}).exitCode != 0)
            bad << name;
    }
    if (names.size() != expected)
        bad << QString("%1 files, not %2").arg(names.size()).arg(expected);
    return bad.join(", ");
}

// Whether no tool that names folder goes on, waiting up to 20 s.
bool toolsGone(const QString &folder)
{
    return QTest::qWaitFor([&] { return testmedia::processesNaming(folder).isEmpty(); }, 20000);
}

// The output folder's files after a kill, less the killed run's lock and its tools' hidden
// temporaries, which the next run in the folder takes over or removes.
QString leftAfterKill(const QString &out)
{
    static const QRegularExpression kept(R"(^(?!\.b\.flv\.trovexa-lock$|\.trvx-tmp-))");
    return testmedia::folderEntries(out).filter(kept).join(' ');
}

// What the process prints until it prints text or ends.
QByteArray waitForOutput(QProcess &process, const QString &text)
{
    QByteArray output;
    const auto printed = [&] {
        output += process.readAllStandardOutput();
        return output.contains(text.toUtf8()) || process.state() == QProcess::NotRunning;
    };
    (void) QTest::qWaitFor(printed, 120000); // the caller tells what the output lacks
    return output;
}

// Kills every process of a session at once.
void killSession(pid_t session)
{
    QDirIterator proc("/proc", QDir::Dirs | QDir::NoDotAndDotDot);
    while (proc.hasNext()) {
        bool number = false;
        const pid_t pid = proc.next().section('/', -1).toInt(&number);
        if (number && ::getsid(pid) == session)
            ::kill(pid, SIGKILL);
    }
}

} // namespace

class ResumeTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_media;
    QString m_out;

    // --skip-existing with a fresh report file, over sources.
    QStringList resumingLine(const QString &report, const QStringList &sources) const
    {
        QFile::remove(report);
        return QStringList {"--output-folder", m_out, "--skip-existing", "--report", report}
        + sources;
    }

private Q_SLOTS:
    void init()
    {
        m_out = m_media.filePath("out");
        QVERIFY(QDir(m_out).removeRecursively() && QDir().mkpath(m_out));
    }

    // The window killed outright while its queue runs, by stage: the next start offers the queue
    // back; what had ended stays as it was, the entry that ran waits again and nothing half written
    // is left under an output's name.
    void killedWindow_data() { addDataRows("resume.txt", "killedWindow"); }
    void killedWindow()
    {
        QFETCH(QStringList, row);
        const QString stage = row[0];
        const bool hang = row[1] == "hang";
        QTemporaryDir home;
        QStringList sources;
        for (const QString name : {"a.mpg", "b.avi", "c.mpg"}) {
            sources << m_media.filePath(name);
            QVERIFY(testmedia::makeVideo(sources.last(), {name == "b.avi" ? 40.0 : 1.0}));
        }
        const QString slow = home.filePath("slow");
        QVERIFY(QDir().mkpath(slow)
                && QFile::link(qEnvironmentVariable("TROVEXA_TEST_CHILD"), slow + "/flvmeta"));
        const auto start = [&](const QString &drive) {
            auto process = std::make_unique<QProcess>();
            QStringList variables {"QT_QPA_PLATFORM=offscreen",
                                   "LD_PRELOAD=" WINDOW_DRIVER,
                                   "TROVEXA_DRIVE=" + drive};
            for (const char *name :
                 {"XDG_RUNTIME_DIR", "XDG_STATE_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
                variables << QString(name) + '=' + home.filePath(name);
            // The folder's slash too: a tool's hidden temporary may end in "b.flv".
            if (hang && drive != "restore")
                variables << "TROVEXA_TEST_HANG=/b.flv"
                          << "PATH=" + slow + ":" + qEnvironmentVariable("PATH");
            QDir().mkpath(home.filePath("XDG_RUNTIME_DIR"));
            QFile::setPermissions(home.filePath("XDG_RUNTIME_DIR"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            testmedia::setVariables(*process, variables);
            process->start(applicationFolderUnderTest() + "/trovexa",
                           drive == "restore" ? QStringList() : sources);
            return process;
        };
        const auto first = start("run=" + m_out + "/");
        const QByteArray output = waitForOutput(*first, stage);
        QVERIFY2(output.contains(stage.toUtf8()), output.constData());
        QTest::qWait(300); // well inside the stage
        ::kill(pid_t(first->processId()), SIGKILL);
        first->waitForFinished();
        QVERIFY(toolsGone(m_media.path()));
        const QByteArray finished = testmedia::readFile(m_out + "/a.flv");
        QVERIFY(media::isWholeFlv(m_out + "/a.flv"));

        const auto second = start("restore");
        QVERIFY(second->waitForFinished(60000));
        const QByteArray shown = second->readAllStandardOutput() + second->readAllStandardError();
        QVERIFY2(shown.contains("box: THE QUEUE OF YOUR LAST SESSION HAS ENTRIES THAT DID NOT END.")
                         && shown.contains("states: done|waiting|waiting\n"),
                 shown.constData());
        QCOMPARE(testmedia::readFile(m_out + "/a.flv"), finished);
        QCOMPARE(leftAfterKill(m_out), QString("a.flv"));
    }

    // What an earlier run wrote is kept only when it is whole: run again,
    // the batch converts exactly what is left.
    void convertsWhatIsLeft()
    {
        const auto rows = dataRows("resume.txt", "resume");
        QVERIFY(!rows.isEmpty());
        QStringList sources;
        for (const auto &[line, row] : rows) {
            sources << row[0] + ".mpg";
            QVERIFY(testmedia::makeVideo(m_media.filePath(sources.last()), {1}));
        }
        const QStringList line = QStringList {"--output-folder", m_out, "--skip-existing"};
        int count = 0;
        QCOMPARE(finish(*startConvert(line + QStringList {"--report", "first.jsonl"} + sources,
                                      m_media.path())),
                 0);
        QMap<QString, QString> first = reportLines(m_media.filePath("first.jsonl"), count);
        QCOMPARE(count, rows.size());
        for (const QString &source : std::as_const(sources))
            QCOMPARE(first[source], QString("converted|"));

        for (const auto &[line, row] : rows) {
            const QString flv = m_out + "/" + row[0] + ".flv";
            const QByteArray bytes = testmedia::readFile(flv);
            if (row[0] == "half")
                QVERIFY(testmedia::writeFile(flv, bytes.left(bytes.size() / 2)));
            else if (row[0] == "tail")
                QVERIFY(testmedia::writeFile(flv, bytes + QByteArray(100, 'x')));
            else if (row[0] == "plain")
                QCOMPARE(
                        testmedia::run("ffmpeg",
                                       QString("-v error -y -i plain.mpg -c:v flv1 -c:a libmp3lame "
                                               "-ar 22050 "
                                               + flv)
                                               .split(' '),
                                       {.folder = m_media.path()})
                                .exitCode,
                        0);
            else if (row[0] == "gone")
                QVERIFY(QFile::remove(flv));
            else if (row[0] == "piped")
                QVERIFY(QFile::remove(flv)
                        && ::mkfifo(QFile::encodeName(flv).constData(), 0600) == 0);
            else if (row[0] != "kept")
                QVERIFY(testmedia::writeFile(flv, row[0] == "empty" ? "" : "Dear user, ..."));
        }
        QCOMPARE(finish(*startConvert(line + QStringList {"--report", "second.jsonl"} + sources,
                                      m_media.path())),
                 1); // the pipe fails
        const QMap<QString, QString> second = reportLines(m_media.filePath("second.jsonl"), count);
        QCOMPARE(count, rows.size());
        for (const auto &[line, row] : rows) {
            const QString entry = second[row[0] + ".mpg"];
            QVERIFY2(entry.startsWith(row[1] + "|") && entry.contains(row[2])
                             && !entry.contains(';'),
                     qPrintable(QString("line %1: %2").arg(line).arg(entry)));
        }
        QVERIFY(QFile::remove(m_out + "/piped.flv")); // refused, and left as it was
        QCOMPARE(badOutputs(m_out, rows.size() - 1), QString());
    }

    // Killed outright in the middle of a batch, by stage: nothing half
    // written stays under an output's name, no tool goes on, and the same
    // line run again converts each source that had not ended, once.
    void killedAndRunAgain_data() { addDataRows("resume.txt", "killedRun"); }
    void killedAndRunAgain()
    {
        QFETCH(QStringList, row);
        const QString stage = row[0];
        QStringList sources {"a.avi", "b.avi", "c.avi"};
        for (const QString &source : sources)
            QVERIFY(testmedia::makeVideo(m_media.filePath(source), {source == "b.avi" ? 6.0 : 1.0}));
        const QString report = m_media.filePath("report.jsonl");
        const QStringList line = resumingLine(report, sources);
        const auto first = startConvert(line, m_media.path());
        const QByteArray output = waitForOutput(*first, stage);
        QVERIFY2(output.contains(stage.toUtf8()), output.constData());
        ::kill(pid_t(first->processId()), SIGKILL);
        first->waitForFinished();
        // a.flv whole; b.flv, if there, as it was before the metadata stage.
        QVERIFY(toolsGone(m_media.path()));
        const QString left = leftAfterKill(m_out);
        QVERIFY2(left == "a.flv" || left == "a.flv b.flv", qPrintable(left));
        QVERIFY(media::isWholeFlv(m_out + "/a.flv"));

        QCOMPARE(finish(*startConvert(line, m_media.path())), 0);
        int count = 0;
        const QMap<QString, QString> lines = reportLines(report, count);
        QCOMPARE(lines["a.avi"], QString("converted|; skipped|a whole output is there already"));
        QCOMPARE(lines["b.avi"], QString("converted|"));
        QCOMPARE(lines["c.avi"], QString("converted|"));
        QCOMPARE(badOutputs(m_out, 3), QString());
        // The killed run's intermediate went with the next run.
        QCOMPARE(testmedia::folderEntries(m_media.filePath("cache/trovexa")), QStringList());
    }

    // Two runs started together over one folder: each source is converted by one of them, the other
    // says why it skipped it, and every output is whole.
    void sideBySide()
    {
        QStringList sources;
        for (int i = 1; i <= 6; ++i) {
            sources << QString("s%1.mpg").arg(i);
            QVERIFY(testmedia::makeVideo(m_media.filePath(sources.last()), {1}));
        }
        const QString report = m_media.filePath("shared.jsonl");
        const QStringList line = resumingLine(report, sources);
        const auto one = startConvert(line, m_media.path());
        const auto other = startConvert(line, m_media.path());
        QCOMPARE(finish(*one), 0);
        QCOMPARE(finish(*other), 0);
        int count = 0;
        const QMap<QString, QString> lines = reportLines(report, count);
        QCOMPARE(count, 12);
        for (const QString &source : std::as_const(sources)) {
            const QStringList entries = lines[source].split("; ");
            QVERIFY2(entries.size() == 2 && entries.count("converted|") == 1
                             && (entries.contains("skipped|written by another run")
                                 || entries.contains("skipped|a whole output is there already")),
                     qPrintable(source + ": " + lines[source]));
        }
        QCOMPARE(badOutputs(m_out, 6), QString());
    }

    // The GNU parallel recipe with two job slots, killed outright midway and
    // run again: every source converted exactly once, each with its lines.
    void parallelRecipe()
    {
        QStringList sources;
        QByteArray list;
        for (int i = 1; i <= 8; ++i) {
            sources << QString("p%1.avi").arg(i);
            QVERIFY(testmedia::makeVideo(m_media.filePath(sources.last()), {i % 2 ? 3.0 : 1.0}));
            list += m_media.filePath(sources.last()).toUtf8() + '\n';
        }
        QVERIFY(testmedia::writeFile(m_media.filePath("list.txt"), list));
        const QString report = m_media.filePath("parallel.jsonl");
        QFile::remove(report);
        const auto recipe = [&] {
            auto process = std::make_unique<QProcess>();
            testmedia::setVariables(*process,
                                    {"DISPLAY",
                                     "TROVEXA=" + applicationFolderUnderTest() + "/trovexa",
                                     "XDG_CACHE_HOME=" + m_media.filePath("cache")});
            process->setChildProcessModifier([] { ::setsid(); }); // a group to kill
            process->start("bash",
                           {TROVEXA_SOURCE_DIR "/packaging/batch/parallel.sh",
                            m_media.filePath("list.txt"),
                            m_out,
                            report,
                            "2"});
            return process;
        };
        const auto first = recipe();
        QVERIFY(first->waitForStarted());
        int count = 0;
        const auto twoReported = [&] {
            reportLines(report, count);
            return count >= 2 || first->state() == QProcess::NotRunning;
        };
        QVERIFY(QTest::qWaitFor(twoReported, 120000));
        QCOMPARE(first->state(), QProcess::Running);
        // parallel gives each job a process group of its own: the whole
        // session goes, as in a power cut.
        killSession(pid_t(first->processId()));
        first->waitForFinished();
        QVERIFY(toolsGone(m_media.path()));
        reportLines(report, count);
        QVERIFY2(count < sources.size(), "the run ended before it was killed");

        const auto second = recipe();
        QCOMPARE(finish(*second), 0);
        const QMap<QString, QString> lines = reportLines(report, count);
        for (const QString &source : std::as_const(sources)) {
            const QStringList entries = lines[source].split("; ");
            QVERIFY2(entries.count("converted|") == 1
                             && entries.size() - 1
                                     == entries.count("skipped|" + pipeline::Job::WholeOutputThere),
                     qPrintable(source + ": " + lines[source]));
        }
        QCOMPARE(badOutputs(m_out, sources.size()), QString());
    }
};

QTEST_GUILESS_MAIN(ResumeTest)
#include "test_resume.moc"
