// Bad input, full disks and interruptions: the front-ends fail with a
// message, and sources, earlier outputs and the FLV being updated stay byte
// for byte as they were, with no temporary left behind.
#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QDateTime>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/stat.h>

using namespace testmedia;

namespace {

// Every entry under folder with its permissions and content; folders and
// special files (which may block a reader) by kind.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder,
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files[info.filePath()] = QByteArray::number(int(info.permissions()), 8)
                + (info.isDir()            ? "<dir>"
                           : info.isFile() ? readFile(info.filePath())
                                           : "<special>");
    }
    return files;
}

QString tool(const char *name)
{
    return applicationFolderUnderTest() + "/" + name;
}

// Whether a process has ended (a zombie or gone), waiting up to 15 s.
bool ended(qint64 pid)
{
    return QTest::qWaitFor(
            [pid] {
                const QByteArray stat = readFile(QString("/proc/%1/stat").arg(pid));
                const qsizetype close = stat.lastIndexOf(')');
                return close < 0 || stat.mid(close + 2, 1) == "Z";
            },
            15000);
}

// Starts a front-end that inherits ignored and blocked signals, which it must
// put right to be cancelled; returns its child's pid once it has one, or 0.
qint64 startWithChild(QProcess &process, const char *program, const QStringList &arguments)
{
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier(inheritHostileSignals);
    process.start(tool(program), arguments);
    qint64 child = 0;
    if (process.waitForStarted(-1)) {
        (void) QTest::qWaitFor(
                [&] {
                    child = childProcesses(process.processId()).value(0);
                    return child || process.state() == QProcess::NotRunning;
                },
                20000);
    }
    return child;
}

const QByteArray Precious = "an earlier conversion the user wants to keep";
const QFile::Permissions OpenToAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::ExeOther;
const QStringList Usual {"-b", "350kb/s", "-r", "25", "-s", "320x240", "-ar", "22050Hz"};
const QString Font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class ToolFailures : public testing::Test
{
protected:
    // Short sources, and long ones to interrupt: a large picture for 20 s, an
    // FLV of about 60 MB made of one piece joined many times.
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        ASSERT_TRUE(QDir().mkpath(source("")));
        ASSERT_TRUE(makeVideo(source("good clip.avi"), {.seconds = 1}));
        ASSERT_TRUE(makeVideo(source("good.flv"), {.seconds = 1}));
        ASSERT_TRUE(makeVideo(source("long.avi"), {.seconds = 20, .width = 640, .height = 480}));
        const QStringList sharp {"-q:v", "2"};
        ASSERT_TRUE(
                makeVideo(source("piece.flv"),
                          {.seconds = 10, .width = 640, .height = 480, .extraOutputOptions = sharp}));
        writeFile(source("pieces"), ("file '" + source("piece.flv").toUtf8() + "'\n").repeated(80));
        const QStringList concat {"-f", "concat", "-safe", "0", "-i", source("pieces")};
        ASSERT_EQ(run("ffmpeg", concat + QStringList {"-c", "copy", source("long.flv")}).exitCode,
                  0);
        // The user nobody may read the sources and enter the folders.
        QFile::setPermissions(s_dir->path(), OpenToAll);
    }
    static void TearDownTestSuite() { delete std::exchange(s_dir, nullptr); }
    static QString source(const QString &name) { return s_dir->filePath("sources/" + name); }

    void SetUp() override
    {
        m_folder = s_dir->filePath(QString("out %1").arg(++s_counter));
        ASSERT_TRUE(QDir().mkpath(m_folder));
        ASSERT_TRUE(QFile::setPermissions(m_folder, OpenToAll));
        ASSERT_TRUE(writeFile(m_folder + "/clip.flv", Precious));
    }
    void TearDown() override { QDir(m_folder).removeRecursively(); }

    // A copy of source in the work folder, as the FLV to update.
    QString workFile(const QString &source)
    {
        EXPECT_TRUE(QFile::copy(source, m_folder + "/update.flv"));
        return m_folder + "/update.flv";
    }

    QStringList line(const QString &input, const QStringList &middle, const QString &output = {})
    {
        return QStringList {"-i", input} + middle
                << (output.isEmpty() ? m_folder + "/clip.flv" : output);
    }

    QStringList hook(const QString &colour,
                     const QString &font = Font,
                     const QString &table = applicationFolderUnderTest() + "/vhook/rgb.txt",
                     const QString &module = applicationFolderUnderTest() + "/vhook/imlib2.dll")
    {
        const QString hook = QString("%1 -c %2 -F %3/16 -C %4 -A 255 -x 5 -y 5 -t Text")
                                     .arg(module, colour, font, table);
        return line(source("good clip.avi"), Usual + QStringList {"-vhook", hook});
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline int s_counter = 0;
    QString m_folder;
};

struct FailingRun
{
    const char *program;
    int exitCode;
    QByteArray says; // a part of the one line of explanation; "" for ffmpeg's own
    QStringList arguments;
    RunOptions options = {};
};

TEST_F(ToolFailures, FailsAndLosesNothing)
{
    const QString &dir = m_folder;
    const QString src = source("good clip.avi");
    const QString percentSource = dir + "/clip%d.flv";
    ASSERT_TRUE(QFile::copy(src, percentSource));
    const QString pipe = dir + "/table pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString bigTable = dir + "/big rgb.txt";
    ASSERT_TRUE(writeFile(bigTable, QByteArray("255 255 255\t\twhite\n").repeated(100000)));
    const QString letter = dir + "/letter.avi";
    ASSERT_TRUE(writeFile(letter, QByteArray("Dear user, this is not a video.\n").repeated(50)));
    ASSERT_TRUE(QFile::copy(letter, dir + "/letter.ttf")
                && QFile::copy(letter, dir + "/letter.flv"));
    // flvmeta on PATH that the system cannot start.
    ASSERT_TRUE(QDir().mkpath(dir + "/bin") && QFile::copy(letter, dir + "/bin/flvmeta"));
    ASSERT_TRUE(QFile::setPermissions(dir + "/bin/flvmeta", OpenToAll));
    const QString truncated = dir + "/truncated.avi";
    const QByteArray good = readFile(src);
    ASSERT_TRUE(writeFile(truncated, good.left(good.indexOf("movi") + 4))); // before any frame
    const QString truncatedFlv = dir + "/truncated.flv";
    const qint64 half = QFile(source("good.flv")).size() / 2;
    ASSERT_TRUE(writeFile(truncatedFlv, readFile(source("good.flv")).left(half)));
    const QString readOnly = dir + "/read only.flv";
    ASSERT_TRUE(QFile::copy(source("good.flv"), readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup));
    // The updated FLV is written beside the original and renamed over it:
    // a folder that takes no new file refuses the update even when the file
    // itself may be written.
    const QString update = workFile(source("good.flv"));
    ASSERT_TRUE(QFile::setPermissions(update, OpenToAll | QFile::WriteOther));
    ASSERT_EQ(run("flvmeta", {"-U", "--preserve", source("good.flv"), dir + "/updated"}).exitCode,
              0);
    const qint64 updatedSize = QFile(dir + "/updated").size();
    // A picture that may not be replaced stops all of them.
    ASSERT_TRUE(QDir().mkpath(dir + "/covers"));
    ASSERT_TRUE(writeFile(dir + "/covers/cover3.jpg", Precious));
    ASSERT_TRUE(QFile::setPermissions(dir + "/covers/cover3.jpg", QFile::ReadOwner));
    const QString deep = dir + QString("/" + QString(200, u'd')).repeated(21) + "/c.flv";
    // Names are bytes: the file a name that is no valid UTF-8 would become if
    // read loosely stays.
    ASSERT_TRUE(writeFile(dir + "/caf\uFFFD.flv", Precious));
    const QMap<QString, QByteArray> before = snapshot(s_dir->path());

    const QStringList vhook {"-vhook", "imlib2.dll -c white -t x"};
    const QByteArray unchanged = "; the file is unchanged";
    const QByteArray tooLong = "is longer than the system allows";
    const QByteArray notOutput = "is read-only or not a file";
    // Run as the user nobody, for whom the root-owned folder is read-only.
    const RunOptions nobody {.user = 65534};
    // clang-format off
    const FailingRun runs[] = {
        {"ffmpeg", 2, "unknown option -vf", line(src, Usual + QStringList {"-vf", "x"})},
        {"ffmpeg", 2, "unsupported video codec \"mpeg4\" (flv or h264)",
         line(src, Usual + QStringList {"-vcodec", "mpeg4"})},
        {"ffmpeg", 2, "unknown colour \"NoSuchColour\"", hook("NoSuchColour")},
        {"ffmpeg", 2, "font file not found: /none/x.ttf", hook("white", "/none/x.ttf")},
        {"ffmpeg", 2, "letter.ttf is not a font file", hook("white", dir + "/letter.ttf")},
        {"ffmpeg", 2, "malformed watermark hook argument: expected <module> -c <colour>",
         line(src, vhook)},
        {"ffmpeg", 2, "unknown watermark hook module",
         hook("white", Font, {}, "/usr/lib/vhook/drawtext.so")},
        {"ffmpeg", 2, "table pipe: not a regular file", hook("white", Font, pipe)},
        {"ffmpeg", 2, "/dev/zero: not a regular file", hook("white", Font, "/dev/zero")},
        {"ffmpeg", 2, "big rgb.txt: larger than 1048576 bytes", hook("white", Font, bigTable)},
        {"ffmpeg", 2, "good clip.avi is the input file", line(src, Usual, src)},
        {"ffmpeg", 2, "good clip.avi is the input file",
         line(src, Usual, source("../sources/good clip.avi"))},
        {"ffmpeg", 2, "clip%d.flv is the input file", line(percentSource, Usual, percentSource)},
        {"ffmpeg", 2, notOutput, line(src, Usual, readOnly)},
        {"ffmpeg", 2, notOutput, line(src, Usual, dir)},
        {"ffmpeg", 2, notOutput, line(src, Usual), nobody},
        {"ffmpeg", 2, tooLong, line(src, Usual, dir + "/" + QString(256, u'n'))},
        {"ffmpeg", 2, tooLong, line(src, Usual, deep)},
        {"ffmpeg", 1, "cannot create a temporary file in " + dir.toUtf8() + "/gone: No such file",
         line(src, Usual, dir + "/gone/clip.flv")},
        {"ffmpeg", 1, {}, line(letter, Usual)},
        {"ffmpeg", 1, {}, line(truncated, Usual)},
        {"ffmpeg", 1, {}, line(dir + "/missing.avi", Usual)},
        {"ffmpeg", 1, {}, line(src, Usual), {.maxFileBytes = 20000}},
        {"ffmpeg", 1, {}, line(src, {"-s", "160x120", "-vframes", "5"}, dir + "/covers/cover%d.jpg")},
        {"ffmpeg", 1, {}, line(src, {"-s", "640x480", "-vframes", "10"}, dir + "/cover%d.jpg"),
         {.maxFileBytes = 20000}},
        {"flvmdi", 2, "usage: flvmdi <file.flv>", {}},
        {"flvmdi", 2, "letter.flv: not an FLV file" + unchanged, {dir + "/letter.flv"}},
        {"flvmdi", 3, "the file ends too early (truncated)" + unchanged, {truncatedFlv}},
        {"flvmdi", 2, "read only.flv: the file is read-only", {readOnly}},
        {"flvmdi", 2, "missing.flv: no such file", {dir + "/missing.flv"}},
        {"flvmdi", 2, dir.toUtf8() + ": not a regular file", {dir}},
        {"flvmdi", 1, "cannot create a temporary file in " + dir.toUtf8(), {update}, nobody},
        {"flvmdi", 2, "the system flvmeta was not found on PATH", {update},
         {.environment = {"PATH=/nonexistent"}}},
        {"flvmdi", 1, "cannot start " + dir.toUtf8() + "/bin/flvmeta: Exec format error", {update},
         {.environment = {"PATH=" + dir + "/bin"}}},
        {"flvmdi", 8, "cannot write the updated file (disk full?)" + unchanged, {update},
         {.maxFileBytes = half}},
        // flvmeta itself does not notice a failure of its last flush.
        {"flvmdi", 1, "the updated file is incomplete (disk full?)" + unchanged, {update},
         {.maxFileBytes = updatedSize - 300}},
    };
    // clang-format on
    for (const FailingRun &r : runs) {
        const ProcessResult result = run(tool(r.program), r.arguments, r.options);
        const std::string errors = result.errors.toStdString();
        const std::string what = r.arguments.join(' ').right(150).toStdString();
        EXPECT_EQ(result.exitCode, r.exitCode) << what << ": " << errors;
        if (!r.says.isEmpty()) {
            EXPECT_EQ(result.errors.count('\n'), 1) << what << ": " << errors;
            EXPECT_TRUE(result.errors.contains(r.says)) << what << ": " << errors;
        }
        EXPECT_FALSE(result.crashed) << what;
        EXPECT_EQ(snapshot(s_dir->path()), before) << what;
    }
    const QByteArray bytes = QFile::encodeName(dir);
    for (const auto &[program, arguments] :
         {std::pair {"ffmpeg", QList<QByteArray> {"-i", "/in.avi", bytes + "/caf\xe9.flv"}},
          std::pair {"flvmdi", QList<QByteArray> {bytes + "/caf\xe9.flv"}},
          std::pair {"flvmdi", QList<QByteArray> {bytes + "/caf\xef\xbf.flv"}}}) {
        EXPECT_EQ(runWithByteArguments(QFile::encodeName(tool(program)), arguments), 2);
        EXPECT_EQ(snapshot(s_dir->path()), before) << arguments.last().toStdString();
    }
}

// A few damaged bytes in the middle of a source cost a damaged picture or
// two, as with ffmpeg itself, not the whole conversion.
TEST_F(ToolFailures, LightlyDamagedSourceConverts)
{
    const QString damaged = m_folder + "/damaged.avi";
    ASSERT_TRUE(makeVideo(damaged, {.seconds = 4}));
    QByteArray bytes = readFile(damaged);
    ASSERT_TRUE(writeFile(damaged, bytes.replace(bytes.size() / 2, 16, QByteArray(16, '\xff'))));
    const ProcessResult result = run(tool("ffmpeg"), line(damaged, Usual));
    ASSERT_EQ(result.exitCode, 0) << result.errors.right(2000).toStdString();
    EXPECT_EQ(run("flvmeta", {"--check", "--quiet", m_folder + "/clip.flv"}).exitCode, 0);
    EXPECT_NEAR(durationSeconds(probe(m_folder + "/clip.flv")), 4.0, 0.2);
}

// Interrupted while flvmeta or the system ffmpeg works, or stopped between
// flvmeta's end and the replace while a signal comes or another program
// writes the file: the front-end ends its child and fails, the file keeps its
// content or that program's change, and no temporary is left. SIGKILL cannot
// be caught: its temporary goes with the next run in that folder.
TEST_F(ToolFailures, Interrupted)
{
    using Act = std::function<void(const QString &file, qint64 pid)>;
    const auto send = [](int signal) -> Act {
        return [signal](const QString &, qint64 pid) {
            ::kill(pid, signal);
        };
    };
    const Act grow = [](const QString &file, qint64) {
        writeFile(file, readFile(file) + "x");
    };
    const Act touch = [](const QString &file, qint64) {
        QFile f(file);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFile::FileModificationTime);
    };
    const Act replace = [](const QString &file, qint64) {
        QFile::copy(file, file + ".new");
        ::rename(QFile::encodeName(file + ".new"), QFile::encodeName(file));
    };
    const struct
    {
        const char *program;
        bool childEnded; // stopped once flvmeta has ended
        Act act;
        int exitCode;
    } rows[] = {{"ffmpeg", false, send(SIGINT), 128 + SIGINT},
                {"ffmpeg", false, send(SIGTERM), 128 + SIGTERM},
                {"flvmdi", false, send(SIGINT), 128 + SIGINT},
                {"flvmdi", false, send(SIGTERM), 128 + SIGTERM},
                {"flvmdi", true, send(SIGTERM), 128 + SIGTERM},
                {"flvmdi", true, grow, 1},
                {"flvmdi", true, touch, 1},
                {"flvmdi", true, replace, 1},
                {"flvmdi", false, send(SIGKILL), 0}};
    for (const auto &[program, childEnded, act, exitCode] : rows) {
        const bool encode = QString(program) == "ffmpeg";
        const QString file = encode ? m_folder + "/clip.flv" : workFile(source("long.flv"));
        QProcess process;
        const qint64 child = startWithChild(process,
                                            program,
                                            encode ? line(source("long.avi"), {})
                                                   : QStringList {file});
        ASSERT_NE(child, 0) << program << ": ended before it could be interrupted";
        if (childEnded) {
            ::kill(process.processId(), SIGSTOP);
            ASSERT_TRUE(ended(child)) << "flvmeta did not finish";
        }
        act(file, process.processId());
        const QByteArray expected = readFile(file);
        ::kill(process.processId(), SIGCONT);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_TRUE(ended(child)) << program << exitCode;
        EXPECT_TRUE(readFile(file) == expected) << program << exitCode;
        if (exitCode) {
            EXPECT_EQ(process.exitCode(), exitCode) << program;
        } else {
            const ProcessResult again = run(tool("flvmdi"), {file});
            EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
            EXPECT_EQ(run("flvmeta", {"--check", "--quiet", file}).exitCode, 0);
        }
        const QStringList left = QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden
                                                          | QDir::NoDotAndDotDot);
        EXPECT_EQ(left, QStringList({"clip.flv", "update.flv"}).mid(0, encode ? 1 : 2)) << program;
        if (!encode)
            QFile::remove(file);
    }
}

} // namespace
