// Bad input, full disks and interruptions: the front-ends fail with a message
// and every file stays byte for byte as it was, with no temporary left.
#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QDateTime>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

using namespace testmedia;

namespace {

// Every entry under folder with its permissions and content.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder,
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files[info.filePath()] = QByteArray::number(int(info.permissions()), 8)
                + (info.isFile() ? readFile(info.filePath())
                                 : QByteArray(info.isDir() ? "<dir>" : "<fifo>"));
    }
    return files;
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

// Starts a front-end with signals ignored and blocked, which it must put
// right; returns its child's pid once it has one, or 0.
qint64 startWithChild(QProcess &process, const char *program, const QStringList &arguments)
{
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier(inheritHostileSignals);
    process.start(applicationFolderUnderTest() + "/" + program, arguments);
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

struct FailingRun
{
    const char *program;
    int exitCode;
    QByteArray says; // a part of the one line of explanation; "" for ffmpeg's own
    QStringList arguments;
    RunOptions options = {};
};

const QFile::Permissions OpenToAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::ExeOther;
const QString Font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

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
    const QString sources = top.filePath("sources/");
    const QString src = sources + "good clip.avi";
    put("clip.flv", Precious);
    ASSERT_TRUE(QDir().mkpath(sources) && makeVideo(src, {.seconds = 1})
                && makeVideo(sources + "good.flv", {.seconds = 1})
                && makeVideo(sources + "long.avi", {.seconds = 20, .width = 640, .height = 480})
                && makeVideo(sources + "piece.flv",
                             {.width = 640, .height = 480, .extraOutputOptions = {"-q:v", "2"}}));
    writeFile(sources + "pieces",
              ("file '" + (sources + "piece.flv").toUtf8() + "'\n").repeated(400));
    const QString concat = "-f concat -safe 0 -i " + sources + "pieces" + " -c copy " + sources
            + "long.flv";
    ASSERT_EQ(run("ffmpeg", concat.split(' ')).exitCode, 0);
    ASSERT_TRUE(QFile::setPermissions(top.path(), OpenToAll)
                && QFile::setPermissions(dir, OpenToAll));

    const QString Usual = "-b 350kb/s -r 25 -s 320x240 -ar 22050Hz";
    const auto line = [&](const QString &input, const QString &middle, const QString &out = {}) {
        return QStringList {"-i", input} + middle.split(' ', Qt::SkipEmptyParts)
                << (out.isEmpty() ? dir + "/clip.flv" : out);
    };
    // An encode line with a watermark hook that names from instead as to.
    const QString tools = applicationFolderUnderTest() + "/", vhook = tools + "vhook/";
    const QString table = vhook + "rgb.txt";
    const auto hook = [&](const QString &from, const QString &to) {
        const QString hook = vhook + "imlib2.dll -c white -F " + Font + "/16 -C " + table
                + " -A 255 -x 5 -y 5 -t Text";
        return QStringList {"-i", src} + Usual.split(' ')
                << "-vhook" << QString(hook).replace(from, to) << dir + "/clip.flv";
    };
    const QByteArray good = readFile(src);
    const QByteArray flv = readFile(sources + "good.flv");
    const QByteArray letter = QByteArray("Dear user, this is not a video.\n").repeated(50);
    const QString percentSource = put("clip%d.flv", good);
    const QString pipe = dir + "/table pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString bigTable = put("big rgb.txt",
                                 QByteArray("255 255 255\t\twhite\n").repeated(100000));
    // flvmeta on PATH that the system cannot start.
    put("bin/flvmeta", letter, OpenToAll);
    const QString truncated = put("truncated.avi", good.left(good.indexOf("movi") + 4)); // no frame
    const QString truncatedFlv = put("truncated.flv", flv.left(flv.size() / 2));
    const QString readOnly = put("read only.flv", flv, QFile::ReadOwner | QFile::ReadGroup);
    // The update is written beside the file: a folder that takes no new file
    // refuses it even when the file itself may be written.
    const QString update = put("update.flv", flv, OpenToAll | QFile::WriteOther);
    const QStringList updating {"-U", "--preserve", update, dir + "/updated"};
    ASSERT_EQ(run("flvmeta", updating).exitCode, 0);
    const qint64 updatedSize = QFile(dir + "/updated").size();
    // A picture that may not be replaced stops all of them.
    put("covers/cover3.jpg", Precious, QFile::ReadOwner);
    const QString deep = dir + QString("/" + QString(200, u'd')).repeated(21) + "/c.flv";
    // What a name that is no valid UTF-8 would become if read loosely.
    put("caf\uFFFD.flv", Precious);

    const QByteArray unchanged = "; the file is unchanged";
    const QByteArray tooLong = "is longer than the system allows";
    const QByteArray notOutput = "is read-only or not a file";
    // Run as the user nobody, for whom the root-owned folder is read-only.
    const RunOptions nobody {.user = 65534};
    // clang-format off
    const FailingRun runs[] = {
        {"ffmpeg", 2, "unknown option -vf", line(src, Usual + " -vf x")},
        {"ffmpeg", 2, "unsupported video codec \"mpeg4\" (flv or h264)", line(src, Usual + " -vcodec mpeg4")},
        {"ffmpeg", 2, "unknown colour \"NoSuchColour\"", hook("white", "NoSuchColour")},
        {"ffmpeg", 2, "font file not found: /none/x.ttf", hook(Font, "/none/x.ttf")},
        {"ffmpeg", 2, "letter.ttf is not a font file", hook(Font, put("letter.ttf", letter))},
        {"ffmpeg", 2, "malformed watermark hook argument: expected <module> -c <colour>",
         QStringList {"-i", src, "-vhook", "imlib2.dll -c white -t x", dir + "/clip.flv"}},
        {"ffmpeg", 2, "unknown watermark hook module", hook("imlib2.dll", "drawtext.so")},
        {"ffmpeg", 2, "table pipe: not a regular file", hook(table, pipe)},
        {"ffmpeg", 2, "/dev/zero: not a regular file", hook(table, "/dev/zero")},
        {"ffmpeg", 2, "big rgb.txt: larger than 1048576 bytes", hook(table, bigTable)},
        {"ffmpeg", 2, "good clip.avi is the input file", line(src, Usual, src)},
        {"ffmpeg", 2, "good clip.avi is the input file",
         line(src, Usual, sources + "../sources/good clip.avi")},
        {"ffmpeg", 2, "clip%d.flv is the input file", line(percentSource, Usual, percentSource)},
        {"ffmpeg", 2, notOutput, line(src, Usual, readOnly)},
        {"ffmpeg", 2, notOutput, line(src, Usual, dir)},
        {"ffmpeg", 2, notOutput, line(src, Usual), nobody},
        {"ffmpeg", 2, tooLong, line(src, Usual, dir + "/" + QString(256, u'n'))},
        {"ffmpeg", 2, tooLong, line(src, Usual, deep)},
        {"ffmpeg", 1, "cannot create a temporary file in " + dir.toUtf8() + "/gone: No such file",
         line(src, Usual, dir + "/gone/clip.flv")},
        {"ffmpeg", 1, {}, line(put("letter.avi", letter), Usual)},
        {"ffmpeg", 1, {}, line(truncated, Usual)},
        {"ffmpeg", 1, {}, line(dir + "/missing.avi", Usual)},
        {"ffmpeg", 1, {}, line(src, Usual), {.maxFileBytes = 20000}},
        {"ffmpeg", 1, {}, line(src, "-vframes 5", dir + "/covers/cover%d.jpg")},
        {"ffmpeg", 1, {}, line(src, "-s 640x480 -vframes 10", dir + "/cover%d.jpg"),
         {.maxFileBytes = 20000}},
        {"flvmdi", 2, "usage: flvmdi <file.flv>", {}},
        {"flvmdi", 2, "letter.flv: not an FLV file" + unchanged, {put("letter.flv", letter)}},
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
         {.maxFileBytes = flv.size() / 2}},
        // flvmeta itself does not notice a failure of its last flush.
        {"flvmdi", 1, "the updated file is incomplete (disk full?)" + unchanged, {update},
         {.maxFileBytes = updatedSize - 300}},
    };
    // clang-format on
    const QMap<QString, QByteArray> before = snapshot(top.path());
    for (const FailingRun &r : runs) {
        const ProcessResult result = run(tools + r.program, r.arguments, r.options);
        SCOPED_TRACE(r.arguments.join(' ').right(150).toStdString() + ": "
                     + result.errors.toStdString());
        EXPECT_EQ(result.exitCode, r.exitCode);
        EXPECT_TRUE(r.says.isEmpty()
                    || (result.errors.count('\n') == 1 && result.errors.contains(r.says)));
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

    // Interrupted while the child works, or between flvmeta's end and the
    // replace by a signal or another program's write: the child ends, the
    // front-end fails, the file keeps its content or that write; SIGKILL's
    // temporary goes with the next run in that folder.
    const QString folder = top.filePath("interrupted");
    ASSERT_TRUE(QDir().mkpath(folder) && writeFile(folder + "/clip.flv", Precious));
    using Disturb = void (*)(const QString &file);
    // clang-format off
    const std::tuple<const char *, int, Disturb> rows[] = {
        {"ffmpeg", SIGINT, nullptr}, {"ffmpeg", SIGTERM, nullptr}, {"flvmdi", SIGINT, nullptr},
        {"flvmdi", SIGTERM, nullptr}, {"flvmdi", SIGKILL, nullptr},
        {"flvmdi", SIGTERM, [](const QString &) {}},
        {"flvmdi", 0, [](const QString &f) { QFile file(f); file.open(QIODevice::ReadWrite); file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFile::FileModificationTime); }},
        {"flvmdi", 0, [](const QString &f) { QFile::copy(f, f + ".new"); ::rename(QFile::encodeName(f + ".new"), QFile::encodeName(f)); }},
        {"flvmdi", 0, [](const QString &f) { writeFile(f, readFile(f) + "x"); }}};
    // clang-format on
    for (const auto &[program, signal, disturb] : rows) {
        const bool encode = QString(program) == "ffmpeg";
        const QString file = encode ? folder + "/clip.flv" : folder + "/update.flv";
        ASSERT_TRUE(encode || QFile::copy(sources + "long.flv", file));
        QProcess process;
        const qint64 child = startWithChild(process,
                                            program,
                                            encode ? line(sources + "long.avi", "", file)
                                                   : QStringList {file});
        ASSERT_NE(child, 0) << program << ": ended before it could be interrupted";
        if (disturb) {
            ::kill(process.processId(), SIGSTOP);
            ASSERT_TRUE(ended(child)) << "flvmeta did not finish";
            disturb(file);
        }
        if (signal)
            ::kill(process.processId(), signal);
        const QByteArray expected = readFile(file);
        ::kill(process.processId(), SIGCONT);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_TRUE(ended(child)) << program << signal;
        EXPECT_TRUE(readFile(file) == expected) << program << signal;
        if (signal == SIGKILL) {
            EXPECT_EQ(run(vhook + "../flvmdi", {file}).exitCode, 0);
            EXPECT_EQ(run("flvmeta", {"--check", "--quiet", file}).exitCode, 0);
        } else {
            EXPECT_EQ(process.exitCode(), signal ? 128 + signal : 1) << program << signal;
        }
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList({"clip.flv", "update.flv"}).mid(0, encode ? 1 : 2));
        QFile::remove(folder + "/update.flv");
    }
}
