// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input, full disks and interruptions: the front-ends fail with a message
// and every file stays byte for byte as it was, with no temporary left.
#include "support/DataRows.h"
#include "support/TestMedia.h"

#include <QtTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

using namespace testmedia;

namespace {

// Whether a process has ended (a zombie or gone), waiting up to 15 s.
bool ended(qint64 pid)
{
    const auto gone = [pid] {
        const QByteArray stat = readFile(QString("/proc/%1/stat").arg(pid));
        const qsizetype close = stat.lastIndexOf(')');
        return close < 0 || stat.mid(close + 2, 1) == "Z";
    };
    return QTest::qWaitFor(gone, 15000);
}

// Starts a front-end with signals ignored and blocked, which it must put
// right; returns its child's pid once it has one, or 0.
qint64 startWithChild(QProcess &process, const char *program, const QStringList &arguments)
{
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier(inheritHostileSignals);
    process.start(applicationFolderUnderTest() + "/" + program, arguments);
    qint64 child = 0;
    if (process.waitForStarted(-1)) {
        const auto started = [&] {
            child = childProcesses(process.processId()).value(0);
            return child || process.state() == QProcess::NotRunning;
        };
        (void) QTest::qWaitFor(started, 20000);
    }
    return child;
}

const QFile::Permissions OpenToAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::ExeOther;

} // namespace

// One folder of sources and earlier outputs, which the user nobody may read
// and enter; long sources to interrupt: 20 s of large pictures, 60 MB of FLV.
TEST(ToolFailures, FailsOrIsInterruptedAndLosesNothing)
{
    QTemporaryDir top;
    const QString dir = top.filePath("out");
    const QByteArray Precious = "an earlier conversion the user wants to keep";
    // Writes a file in the output folder, and returns its path.
    const auto put =
            [&](const QString &name, const QByteArray &content, QFile::Permissions modes = {}) {
                const QString path = dir + "/" + name;
                EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()) && writeFile(path, content));
                if (modes)
                    QFile::setPermissions(path, modes);
                return path;
            };
    const QString sources = top.filePath("sources"), tools = applicationFolderUnderTest() + "/";
    const QString src = sources + "/good clip.avi";
    put("clip.flv", Precious);
    ASSERT_TRUE(QDir().mkpath(sources) && makeVideo(src, {.seconds = 1})
                && makeVideo(sources + "/good.flv", {.seconds = 1})
                && makeVideo(sources + "/long.avi", {.seconds = 20, .width = 640, .height = 480})
                && makeVideo(sources + "/piece.flv",
                             {.width = 640, .height = 480, .extraOutputOptions = {"-q:v", "2"}}));
    writeFile(sources + "/pieces",
              ("file '" + (sources + "/piece.flv").toUtf8() + "'\n").repeated(400));
    const QString concat = "-f concat -safe 0 -i " + sources + "/pieces -c copy " + sources
            + "/long.flv";
    ASSERT_EQ(run("ffmpeg", concat.split(' ')).exitCode, 0);
    ASSERT_TRUE(QFile::setPermissions(top.path(), OpenToAll)
                && QFile::setPermissions(dir, OpenToAll));
    const QString own = top.filePath("tools/"); // copies the user nobody may start
    for (const char *name : {"ffmpeg", "flvmdi"})
        ASSERT_TRUE(QDir().mkpath(own) && QFile::copy(tools + name, own + name)
                    && QFile::setPermissions(own + name, OpenToAll));

    const QByteArray good = readFile(src);
    const QByteArray flv = readFile(sources + "/good.flv");
    const QByteArray letter = QByteArray("Dear user, this is not a video.\n").repeated(50);
    put("clip%d.flv", good);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/table pipe").constData(), 0600), 0);
    put("big rgb.txt", QByteArray("255 255 255\t\twhite\n").repeated(100000));
    // Letters as media, and as an flvmeta on PATH that the system cannot start.
    for (const char *name : {"letter.ttf", "letter.avi", "letter.flv", "bin/flvmeta"})
        put(name, letter, OpenToAll);
    // Tools on PATH that end with exit code 1, not by a signal.
    ASSERT_TRUE(QDir().mkpath(dir + "/failing"));
    for (const char *name : {"ffmpeg", "flvmeta"})
        ASSERT_TRUE(
                QFile::link(qEnvironmentVariable("TROVEXA_TEST_CHILD"), dir + "/failing/" + name));
    put("truncated.avi", good.left(good.indexOf("movi") + 4)); // no frame
    put("truncated.flv", flv.left(flv.size() / 2));
    put("read only.flv", flv, QFile::ReadOwner | QFile::ReadGroup);
    // Written by nobody, though others may run it.
    put("runnable read only.flv", flv, QFile::ReadOwner | QFile::ExeOther);
    // The update is written beside the file: a folder that takes no new file
    // refuses it even when the file itself may be written.
    const QString update = put("update.flv", flv, OpenToAll | QFile::WriteOther);
    ASSERT_EQ(run("flvmeta", {"-U", "--preserve", update, dir + "/updated"}).exitCode, 0);
    const qint64 updatedSize = QFile(dir + "/updated").size();
    // The size of the encode the rows make, for a disk that fills at its end.
    const QString encoded = sources + "/encoded.flv";
    ASSERT_EQ(run(tools + "ffmpeg",
                  {"-i", src, "-b", "350kb/s", "-r", "25", "-s", "320x240", "-ar", "22050Hz", encoded})
                      .exitCode,
              0);
    const qint64 encodedSize = QFile(encoded).size();
    // A picture that may not be replaced stops all of them.
    put("covers/cover3.jpg", Precious, QFile::ReadOwner);
    // What a name that is no valid UTF-8 would become if read loosely.
    put("caf\uFFFD.flv", Precious);

    const QMap<QString, QString> names {{"$APP", applicationFolderUnderTest()},
                                        {"$DIR", dir},
                                        {"$SOURCES", sources},
                                        {"$N256", QString(256, u'n')},
                                        {"$HALF", QString::number(flv.size() / 2)},
                                        {"$DEEP",
                                         dir + QString("/" + QString(200, u'd')).repeated(21)
                                                 + "/c.flv"},
                                        {"$UPDATED", QString::number(updatedSize - 300)},
                                        {"$ENCODED", QString::number(encodedSize - 300)}};
    const QMap<QString, QByteArray> before = snapshot(top.path());
    const auto rows = dataRows("tool_failures.txt");
    EXPECT_FALSE(rows.isEmpty());
    for (auto [number, row] : rows) {
        for (QString &field : row)
            for (auto [name, value] : names.asKeyValueRange())
                field.replace(name, value);
        ASSERT_EQ(row.size(), 5) << "line " << number;
        RunOptions options;
        if (row[3] == "nobody")
            options.user = 65534;
        else if (row[3].startsWith("limit="))
            options.maxFileBytes = row[3].mid(6).toLongLong();
        else if (!row[3].isEmpty())
            options.environment = row[3].split(' ');
        const ProcessResult result = run((options.user ? own : tools) + row[0],
                                         row[4].split('|', Qt::SkipEmptyParts),
                                         options);
        SCOPED_TRACE("line " + std::to_string(number) + ": " + result.errors.toStdString());
        EXPECT_EQ(result.exitCode, row[1].toInt());
        // One line of explanation; on a full disk, after ffmpeg's own words.
        const QList<QByteArray> lines = result.errors.trimmed().split('\n');
        EXPECT_TRUE(row[2].isEmpty()
                    || (lines.last().contains(row[2].toUtf8())
                        && (lines.size() == 1 || row[3].startsWith("limit="))));
        EXPECT_FALSE(result.crashed);
        EXPECT_EQ(snapshot(top.path()), before);
    }
    const QByteArray bytes = QFile::encodeName(dir);
    for (const auto &[program, arguments] :
         {std::pair {"ffmpeg", QList<QByteArray> {"-i", "/in.avi", bytes + "/caf\xe9.flv"}},
          std::pair {"flvmdi", QList<QByteArray> {bytes + "/caf\xe9.flv"}},
          std::pair {"flvmdi", QList<QByteArray> {bytes + "/caf\xef\xbf.flv"}}}) {
        EXPECT_EQ(runWithByteArguments(QFile::encodeName(tools + program), arguments), 2);
        EXPECT_EQ(snapshot(top.path()), before) << arguments.last().toStdString();
    }

    // Interrupted while the child works, or between the child's end and the replace by a signal or
    // another program's write: the child ends, the front-end fails, the file keeps its content or
    // that write; SIGKILL's temporary goes with the next run in that folder.
    const QString folder = top.filePath("interrupted");
    ASSERT_TRUE(QDir().mkpath(folder) && writeFile(folder + "/clip.flv", Precious));
    using Disturb = void (*)(const QString &file);
    // clang-format off
    const std::tuple<const char *, int, Disturb> interruptions[] = {
        {"ffmpeg", SIGINT, nullptr}, {"ffmpeg", SIGTERM, nullptr}, {"flvmdi", SIGINT, nullptr},
        {"flvmdi", SIGTERM, nullptr}, {"flvmdi", SIGKILL, nullptr},
        {"flvmdi", SIGTERM, [](const QString &) {}}, {"ffmpeg", SIGTERM, [](const QString &) {}},
        {"flvmdi", 0, [](const QString &f) { QFile file(f); file.open(QIODevice::ReadWrite); file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFile::FileModificationTime); }},
        {"flvmdi", 0, [](const QString &f) { QFile::copy(f, f + ".new"); ::rename(QFile::encodeName(f + ".new"), QFile::encodeName(f)); }},
        {"flvmdi", 0, [](const QString &f) { writeFile(f, readFile(f) + "x"); }}};
    // clang-format on
    for (const auto &[program, signal, disturb] : interruptions) {
        const bool encode = QString(program) == "ffmpeg";
        const QString file = encode ? folder + "/clip.flv" : folder + "/update.flv";
        ASSERT_TRUE(encode || QFile::copy(sources + "/long.flv", file));
        QProcess process;
        const qint64 child = startWithChild(process,
                                            program,
                                            encode ? QStringList {"-i", sources + "/long.avi", file}
                                                   : QStringList {file});
        ASSERT_NE(child, 0) << program << ": ended before it could be interrupted";
        const qint64 pid = process.processId(); // never 0, which would signal this test's group
        const auto unblocked = [child] { // whatever signals the front-end was started with
            return readFile(QString("/proc/%1/status").arg(child))
                    .contains("SigBlk:\t0000000000000000");
        };
        ASSERT_TRUE(!encode || QTest::qWaitFor(unblocked, 10000))
                << "the encoder's signals are blocked";
        if (disturb) {
            ::kill(pid, SIGSTOP);
            ASSERT_TRUE(ended(child)) << "flvmeta did not finish";
            disturb(file);
        }
        if (signal)
            ::kill(pid, signal);
        const QByteArray expected = readFile(file);
        ::kill(pid, SIGCONT);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_TRUE(ended(child)) << program << signal;
        EXPECT_TRUE(readFile(file) == expected) << program << signal;
        if (signal == SIGKILL) {
            EXPECT_EQ(run(tools + "flvmdi", {file}).exitCode, 0);
            EXPECT_EQ(run("flvmeta", {"--check", "--quiet", file}).exitCode, 0);
        } else {
            EXPECT_EQ(process.exitCode(), signal ? 128 + signal : 1) << program << signal;
        }
        EXPECT_EQ(folderEntries(folder),
                  QStringList({"clip.flv", "update.flv"}).mid(0, encode ? 1 : 2));
        QFile::remove(folder + "/update.flv");
    }
}
