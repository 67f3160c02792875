// Bad input, full disks and interruptions: the front-ends end with a non-zero
// exit code and lose nothing (sources, earlier outputs and the FLV being
// updated stay byte for byte as they were; no temporary is left behind).
#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace testmedia;

namespace {

// Every file under folder (hidden ones too) with its permissions and
// content; folders and special files (which may block a reader) by kind.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder,
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QByteArray &entry = files[QDir(folder).relativeFilePath(path)];
        entry = QByteArray::number(int(it.fileInfo().permissions()), 8) + ':';
        if (it.fileInfo().isDir())
            entry += "<dir>";
        else if (!it.fileInfo().isFile() || !file.open(QIODevice::ReadOnly))
            entry += "<special>";
        else
            entry += file.readAll();
    }
    return files;
}

QString tool(const char *name)
{
    return applicationFolderUnderTest() + "/" + name;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The process state letter from /proc ('Z' for a child that has ended).
char processState(qint64 pid)
{
    const QByteArray stat = readFile(QString("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || close + 2 >= stat.size() ? '?' : stat[close + 2];
}

// Starts program and waits until it has started a child; returns the
// child's pid, or 0 when the program ended first. The program inherits
// ignored and blocked signals, which it must put right to be cancelled.
qint64 startAndWaitForChild(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier(inheritHostileSignals);
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return 0;
    for (int i = 0; i < 20000; ++i) {
        const QList<qint64> children = childProcesses(process.processId());
        if (!children.isEmpty())
            return children.first();
        if (process.state() == QProcess::NotRunning || process.waitForFinished(0))
            return 0;
        QThread::usleep(200);
    }
    return 0;
}

// Waits until the process has ended ('Z' or gone); false when it has not.
bool processEnded(qint64 pid)
{
    for (int i = 0; i < 3000; ++i) {
        const char state = processState(pid);
        if (state == '?' || state == 'Z')
            return true;
        QThread::msleep(5);
    }
    return false;
}

const QByteArray Precious = "an earlier conversion the user wants to keep";
const QFile::Permissions OpenToAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::ExeOther;
const QStringList Usual {"-b", "350kb/s", "-r", "25", "-s", "320x240", "-ar", "22050Hz"};

// Runs as the user nobody, for whom the root-owned work folder is
// read-only (root writes anywhere); a test not run by root takes the write
// access to the folder away instead.
const RunOptions WithoutWriteAccess {.user = 65534};

struct FailingRun
{
    const char *name;
    const char *program;
    QStringList arguments;
    RunOptions options {};
    int exitCode = 0; // 0: any failure
    bool oneLine = false; // one line of explanation
};

class ToolFailures : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        QDir().mkpath(s_dir->filePath("sources"));
        s_source = s_dir->filePath("sources/good clip.avi");
        ASSERT_TRUE(makeVideo(s_source, {.seconds = 1}));
        s_flv = s_dir->filePath("sources/good.flv");
        ASSERT_TRUE(makeVideo(s_flv, {.seconds = 1}));
        // Everyone may read the sources and enter the folders.
        QFile::setPermissions(s_dir->path(), OpenToAll);
    }
    static void TearDownTestSuite()
    {
        delete std::exchange(s_dir, nullptr);
        delete std::exchange(s_large, nullptr);
    }

    // A large FLV (about 60 MB) so that flvmeta runs long enough to be
    // interrupted: one encoded piece joined many times.
    static QString largeFlv()
    {
        if (s_large)
            return s_large->filePath("large.flv");
        s_large = new QTemporaryDir;
        const QString piece = s_large->filePath("piece.flv");
        EXPECT_TRUE(makeVideo(piece,
                              {.seconds = 10,
                               .width = 640,
                               .height = 480,
                               .extraOutputOptions = {"-q:v", "2"}}));
        const QString list = s_large->filePath("pieces.txt");
        writeFile(list, ("file '" + piece.toUtf8() + "'\n").repeated(80));
        const QString large = s_large->filePath("large.flv");
        run("ffmpeg",
            {"-v", "error", "-f", "concat", "-safe", "0", "-i", list, "-c", "copy", large});
        return large;
    }

    void SetUp() override
    {
        m_folder = s_dir->filePath(QString("out %1").arg(++s_counter));
        ASSERT_TRUE(QDir().mkpath(m_folder));
        ASSERT_TRUE(QFile::setPermissions(m_folder, OpenToAll));
        ASSERT_TRUE(writeFile(m_folder + "/clip.flv", Precious));
    }
    // The copies of the large file add up; each goes with its test.
    void TearDown() override { QDir(m_folder).removeRecursively(); }

    // Copies source into the work folder as the FLV to update.
    QString workFile(const QString &source)
    {
        const QString path = m_folder + "/update.flv";
        EXPECT_TRUE(QFile::copy(source, path));
        return path;
    }

    QStringList line(const QString &input, const QStringList &middle, const QString &output = {})
    {
        return QStringList {"-i", input} + middle
                + QStringList {output.isEmpty() ? m_folder + "/clip.flv" : output};
    }

    QStringList hook(const QString &colour,
                     const QString &font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                     const QString &table = applicationFolderUnderTest() + "/vhook/rgb.txt",
                     const QString &module = applicationFolderUnderTest() + "/vhook/imlib2.dll")
    {
        return line(s_source,
                    Usual
                            + QStringList {"-vhook",
                                           module + " -c " + colour + " -F " + font + "/16 -C "
                                                   + table + " -A 255 -x 5 -y 5 -t Text"});
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QTemporaryDir *s_large = nullptr;
    static inline QString s_source;
    static inline QString s_flv;
    static inline int s_counter = 0;
    QString m_folder;
};

TEST_F(ToolFailures, FailsAndLosesNothing)
{
    const QString percentSource = m_folder + "/clip%d.flv";
    ASSERT_TRUE(QFile::copy(s_source, percentSource));
    const QString pipe = m_folder + "/table pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString bigTable = m_folder + "/big rgb.txt";
    ASSERT_TRUE(writeFile(bigTable, QByteArray("255 255 255\t\twhite\n").repeated(100000)));
    const QString letter = m_folder + "/letter.avi";
    ASSERT_TRUE(writeFile(letter, QByteArray("Dear user, this is not a video.\n").repeated(50)));
    ASSERT_TRUE(QFile::copy(letter, m_folder + "/letter.ttf"));
    ASSERT_TRUE(QFile::copy(letter, m_folder + "/letter.flv"));
    const QString truncated = m_folder + "/truncated.avi";
    const QByteArray good = readFile(s_source);
    ASSERT_TRUE(writeFile(truncated, good.left(good.indexOf("movi") + 4))); // before any frame
    const QString truncatedFlv = m_folder + "/truncated.flv";
    ASSERT_TRUE(writeFile(truncatedFlv, readFile(s_flv).left(QFile(s_flv).size() / 2)));
    const QString readOnly = m_folder + "/read only.flv";
    ASSERT_TRUE(QFile::copy(s_flv, readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup));
    // The updated FLV is written beside the original and renamed over it:
    // a folder that takes no new file refuses the update even when the file
    // itself may be written.
    const QString update = workFile(s_flv);
    ASSERT_TRUE(QFile::setPermissions(update, OpenToAll | QFile::WriteOther));
    ASSERT_EQ(run("flvmeta", {"-U", "--preserve", s_flv, m_folder + "/updated"}).exitCode, 0);
    const qint64 updatedSize = QFile(m_folder + "/updated").size();
    // A picture that may not be replaced stops all of them.
    ASSERT_TRUE(QDir().mkpath(m_folder + "/covers"));
    ASSERT_TRUE(writeFile(m_folder + "/covers/cover3.jpg", Precious));
    ASSERT_TRUE(QFile::setPermissions(m_folder + "/covers/cover3.jpg", QFile::ReadOwner));
    const QString deepFolder = m_folder + QString("/" + QString(200, u'd')).repeated(21);
    const QMap<QString, QByteArray> before = snapshot(s_dir->path());

    const QStringList vframes {"-s", "160x120", "-vframes"};
    const qint64 half = QFile(s_flv).size() / 2;
    const QString badName = m_folder + "/" + QString(300, u'n');
    // clang-format off
    const FailingRun runs[] = {
        {"unknown option", "ffmpeg",
         line(s_source, Usual + QStringList {"-vf", "hflip"}), {}, 2, true},
        {"unsupported codec", "ffmpeg",
         line(s_source, Usual + QStringList {"-vcodec", "mpeg4"}), {}, 2, true},
        {"unknown colour", "ffmpeg", hook("NoSuchColour"), {}, 2, true},
        {"missing font", "ffmpeg", hook("white", "/nonexistent/x.ttf"), {}, 2, true},
        {"font is no font", "ffmpeg", hook("white", m_folder + "/letter.ttf"), {}, 2, true},
        {"malformed hook", "ffmpeg",
         line(s_source, {"-vhook", "imlib2.dll -c white -t x"}), {}, 2, true},
        {"unknown module", "ffmpeg",
         hook("white", {}, {}, "/usr/lib/vhook/drawtext.so"), {}, 2, true},
        {"colour table is a pipe", "ffmpeg", hook("white", {}, pipe), {}, 2, true},
        {"colour table is a device", "ffmpeg", hook("white", {}, "/dev/zero"), {}, 2, true},
        {"colour table is too large", "ffmpeg", hook("white", {}, bigTable), {}, 2, true},
        {"output is the input", "ffmpeg", line(s_source, Usual, s_source), {}, 2, true},
        {"output is read-only", "ffmpeg", line(s_source, Usual, readOnly), {}, 2, true},
        {"output is a folder", "ffmpeg", line(s_source, Usual, m_folder), {}, 2, true},
        {"output is the input by another name", "ffmpeg",
         line(s_source, Usual, s_dir->filePath("sources/../sources/good clip.avi")), {}, 2, true},
        {"output with a percent sign is the input", "ffmpeg",
         line(percentSource, Usual, percentSource), {}, 2, true},
        {"output name too long", "ffmpeg", line(s_source, Usual, badName), {}, 2, true},
        {"output path too long", "ffmpeg",
         line(s_source, Usual, deepFolder + "/c.flv"), {}, 2, true},
        {"source is no video", "ffmpeg", line(letter, Usual)},
        {"source ends before any frame", "ffmpeg", line(truncated, Usual)},
        {"source missing", "ffmpeg", line(m_folder + "/missing.avi", Usual)},
        {"output folder missing", "ffmpeg", line(s_source, Usual, m_folder + "/gone/clip.flv")},
        {"output folder not writable", "ffmpeg", line(s_source, Usual), WithoutWriteAccess},
        {"disk full", "ffmpeg", line(s_source, Usual), {.maxFileBytes = 20000}},
        {"picture not replaceable", "ffmpeg",
         line(s_source, vframes + QStringList {"5"}, m_folder + "/covers/cover%d.jpg")},
        {"disk full for pictures", "ffmpeg",
         line(s_source, {"-s", "640x480", "-vframes", "10"}, m_folder + "/cover%d.jpg"),
         {.maxFileBytes = 20000}},
        {"not an FLV", "flvmdi", {m_folder + "/letter.flv"}, {}, 0, true},
        {"truncated FLV", "flvmdi", {truncatedFlv}, {}, 0, true},
        {"read-only FLV", "flvmdi", {readOnly}, {}, 0, true},
        {"missing FLV", "flvmdi", {m_folder + "/missing.flv"}, {}, 0, true},
        {"no FLV named", "flvmdi", {}},
        {"a folder", "flvmdi", {m_folder}},
        {"folder not writable", "flvmdi", {update}, WithoutWriteAccess},
        {"flvmeta missing", "flvmdi", {update}, {.environment = {"PATH=/nonexistent"}}, 0, true},
        {"disk full halfway", "flvmdi", {update}, {.maxFileBytes = half}},
        // flvmeta itself does not notice a failure of its last flush.
        {"disk full at the last flush", "flvmdi", {update}, {.maxFileBytes = updatedSize - 300}},
    };
    // clang-format on
    for (const FailingRun &r : runs) {
        const bool chmod = r.options.user && geteuid() != 0;
        if (chmod)
            QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner);
        const ProcessResult result = run(tool(r.program),
                                         r.arguments,
                                         chmod ? RunOptions {} : r.options);
        if (chmod)
            QFile::setPermissions(m_folder, OpenToAll);
        const std::string errors = result.errors.toStdString();
        if (r.exitCode != 0) {
            EXPECT_EQ(result.exitCode, r.exitCode) << r.name << ": " << errors;
        }
        if (r.oneLine) {
            EXPECT_EQ(result.errors.count('\n'), 1) << r.name << ": " << errors;
        }
        EXPECT_NE(result.exitCode, 0) << r.name;
        EXPECT_NE(result.exitCode, 126) << r.name << ": could not change the user";
        EXPECT_FALSE(result.crashed) << r.name;
        EXPECT_EQ(snapshot(s_dir->path()), before) << r.name;
    }
}

// Names are bytes: a name that is no valid UTF-8 is refused, and the file
// whose name it would have become if read loosely stays as it was.
TEST_F(ToolFailures, NamesThatAreNotUtf8)
{
    const QByteArray folder = QFile::encodeName(m_folder);
    ASSERT_TRUE(writeFile(m_folder + "/caf\uFFFD.flv", Precious));
    const QMap<QString, QByteArray> before = snapshot(s_dir->path());
    const QList<QPair<QByteArray, QList<QByteArray>>> runs {
            {QFile::encodeName(tool("ffmpeg")),
             {"-i", QFile::encodeName(s_source), "-s", "160x120", folder + "/caf\xe9.flv"}},
            {QFile::encodeName(tool("flvmdi")), {folder + "/caf\xe9.flv"}},
            {QFile::encodeName(tool("flvmdi")), {folder + "/caf\xef\xbf.flv"}},
    };
    for (const auto &[program, arguments] : runs) {
        EXPECT_EQ(runWithByteArguments(program, arguments), 2) << arguments.last().toStdString();
        EXPECT_EQ(snapshot(s_dir->path()), before);
    }
}

// A few damaged bytes in the middle of a source cost a damaged picture or
// two, as with ffmpeg itself, not the whole conversion.
TEST_F(ToolFailures, LightlyDamagedSourceConverts)
{
    const QString damaged = m_folder + "/damaged.avi";
    ASSERT_TRUE(makeVideo(damaged, {.seconds = 4}));
    QByteArray bytes = readFile(damaged);
    bytes.replace(bytes.size() / 2, 16, QByteArray(16, '\xff'));
    ASSERT_TRUE(writeFile(damaged, bytes));
    const ProcessResult result = run(tool("ffmpeg"), line(damaged, Usual));
    ASSERT_EQ(result.exitCode, 0) << result.errors.right(2000).toStdString();
    EXPECT_EQ(run("flvmeta", {"--check", "--quiet", m_folder + "/clip.flv"}).exitCode, 0);
    EXPECT_NEAR(durationSeconds(probe(m_folder + "/clip.flv")), 4.0, 0.2);
}

class ToolSignals : public ToolFailures,
                    public testing::WithParamInterface<std::pair<const char *, int>>
{ };

// Interrupted while its child works, a front-end ends its child, exits
// with an error and leaves everything as it was.
TEST_P(ToolSignals, InterruptedWhileTheChildRuns)
{
    const auto [program, signal] = GetParam();
    QStringList arguments;
    if (QString(program) == "ffmpeg") {
        const QString longSource = m_folder + "/long.avi";
        ASSERT_TRUE(makeVideo(longSource, {.seconds = 20, .width = 640, .height = 480}));
        arguments = line(longSource, {"-b", "800kb/s", "-s", "640x480"});
    } else {
        arguments = {workFile(largeFlv())};
    }
    const QMap<QString, QByteArray> before = snapshot(m_folder);
    QProcess process;
    const qint64 child = startAndWaitForChild(process, tool(program), arguments);
    ASSERT_NE(child, 0) << "the front-end ended before it could be interrupted";
    ::kill(process.processId(), signal);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(processEnded(child));
    EXPECT_EQ(snapshot(m_folder), before);
}

INSTANTIATE_TEST_SUITE_P(Signals,
                         ToolSignals,
                         testing::Values(std::pair {"ffmpeg", SIGINT},
                                         std::pair {"ffmpeg", SIGTERM},
                                         std::pair {"flvmdi", SIGINT},
                                         std::pair {"flvmdi", SIGTERM}));

// Between flvmeta's end and the replace of the original, a signal arrives
// or another program writes the file: the original, or that program's
// change, stays, and no temporary is left.
TEST_F(ToolFailures, DisturbedBeforeTheReplace)
{
    const QList<QPair<const char *, std::function<void(const QString &, qint64)>>> disturbances {
            {"signal",
             [](const QString &, qint64 pid) {
                 ::kill(pid, SIGTERM);
             }},
            {"size",
             [](const QString &file, qint64) {
                 QFile f(file);
                 f.open(QIODevice::Append);
                 f.write("x");
             }},
            {"time",
             [](const QString &file, qint64) {
                 QFile f(file);
                 f.open(QIODevice::ReadWrite);
                 f.setFileTime(QDateTime::currentDateTime().addSecs(60),
                               QFileDevice::FileModificationTime);
             }},
            {"inode",
             [](const QString &file, qint64) {
                 QFile::copy(file, file + ".new");
                 ::rename(QFile::encodeName(file + ".new").constData(),
                          QFile::encodeName(file).constData());
             }},
    };
    for (const auto &[what, disturb] : disturbances) {
        const QString file = workFile(largeFlv());
        QProcess process;
        const qint64 child = startAndWaitForChild(process, tool("flvmdi"), {file});
        ASSERT_NE(child, 0) << what;
        ::kill(process.processId(), SIGSTOP);
        ASSERT_TRUE(processEnded(child)) << "flvmeta did not finish";
        disturb(file, process.processId());
        const QByteArray expected = readFile(file);
        ::kill(process.processId(), SIGCONT);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_NE(process.exitCode(), 0) << what;
        EXPECT_TRUE(readFile(file) == expected) << what;
        EXPECT_EQ(entries(m_folder), QStringList({"clip.flv", "update.flv"})) << what;
        QFile::remove(file);
    }
}

// SIGKILL cannot be caught: flvmeta dies with flvmdi, the original stays,
// and the temporary left behind is removed by the next run in that folder.
TEST_F(ToolFailures, KilledThenRunAgain)
{
    const QString file = workFile(largeFlv());
    const QByteArray original = readFile(file);
    QProcess process;
    const qint64 child = startAndWaitForChild(process, tool("flvmdi"), {file});
    ASSERT_NE(child, 0);
    ::kill(process.processId(), SIGKILL);
    process.waitForFinished(30000);
    EXPECT_TRUE(processEnded(child)) << "flvmeta outlived flvmdi";
    EXPECT_TRUE(readFile(file) == original);

    const ProcessResult again = run(tool("flvmdi"), {file});
    EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_EQ(entries(m_folder), QStringList({"clip.flv", "update.flv"}));
    EXPECT_EQ(run("flvmeta", {"--check", "--quiet", file}).exitCode, 0);
}

} // namespace
