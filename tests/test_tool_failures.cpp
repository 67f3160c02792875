// Bad input, full disks and interruptions: the front-ends end with a non-zero
// exit code and lose nothing (sources, earlier outputs and the FLV being
// updated stay byte for byte as they were; no temporary is left behind).
#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace testmedia;

namespace {

// Every file under folder (hidden ones too) with its content.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder,
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(QDir(folder).relativeFilePath(path),
                     it.fileInfo().isDir() || !file.open(QIODevice::ReadOnly) ? "<dir>"
                                                                              : file.readAll());
    }
    return files;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString tool(const char *name)
{
    return applicationFolderUnderTest() + "/" + name;
}

QString hookArgument(const QString &colour, const QString &font, const QString &module = {})
{
    const QString vhook = applicationFolderUnderTest() + "/vhook/";
    return (module.isEmpty() ? vhook + "imlib2.dll" : module) + " -c " + colour + " -F " + font
            + "/16 -C " + vhook + "rgb.txt -A 255 -x 5 -y 5 -t Text";
}

// The process state letter from /proc ('Z' for a child that has ended).
char processState(qint64 pid)
{
    const QByteArray stat = readFile(QString("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || close + 2 >= stat.size() ? '?' : stat[close + 2];
}

// Starts program and waits until it has started a child; returns the
// child's pid, or 0 when the program ended first.
qint64 startAndWaitForChild(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setStandardInputFile(QProcess::nullDevice());
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

bool processGone(qint64 pid)
{
    for (int i = 0; i < 200; ++i) {
        const char state = processState(pid);
        if (state == '?' || state == 'Z')
            return true;
        QThread::msleep(10);
    }
    return false;
}

const QByteArray Precious = "an earlier conversion the user wants to keep";

// ---------------------------------------------------------------- encoder

class ToolEncodeFailures : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_source = s_dir->filePath("sources/good clip.avi");
        QDir().mkpath(s_dir->filePath("sources"));
        VideoSpec sourceVideo;
        sourceVideo.seconds = 1;
        ASSERT_TRUE(makeVideo(s_source, sourceVideo));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    void SetUp() override
    {
        m_folder = s_dir->filePath(QString("out %1").arg(++s_counter));
        ASSERT_TRUE(QDir().mkpath(m_folder));
        ASSERT_TRUE(writeFile(m_folder + "/clip.flv", Precious));
        m_before = snapshot(s_dir->path());
    }

    QStringList line(const QString &input,
                     const QStringList &middle,
                     const QString &output = {}) const
    {
        return QStringList {"-i", input} + middle
                + QStringList {output.isEmpty() ? m_folder + "/clip.flv" : output};
    }

    static QStringList usual()
    {
        return {"-b",
                "350kb/s",
                "-r",
                "25",
                "-s",
                "320x240",
                "-ar",
                "22050Hz",
                "-ab",
                "64",
                "-ac",
                "1"};
    }

    void expectNothingLost() const { EXPECT_EQ(snapshot(s_dir->path()), m_before); }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_source;
    static inline int s_counter = 0;
    QString m_folder;
    QMap<QString, QByteArray> m_before;
};

// Lines refused before anything is written: exit code 2 and one line of
// explanation.
TEST_F(ToolEncodeFailures, RefusedLines)
{
    ASSERT_TRUE(writeFile(s_dir->filePath("read-only.flv"), Precious));
    ASSERT_TRUE(QFile::setPermissions(s_dir->filePath("read-only.flv"), QFile::ReadOwner));
    m_before = snapshot(s_dir->path());
    const QString font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    const QList<QPair<const char *, QStringList>> lines {
            {"unknown option", line(s_source, usual() + QStringList {"-vcodec", "h264"})},
            {"unknown colour",
             line(s_source, usual() << "-vhook" << hookArgument("NoSuchColour", font))},
            {"missing font",
             line(s_source, usual() << "-vhook" << hookArgument("white", "/nonexistent/x.ttf"))},
            {"malformed hook",
             line(s_source,
                  usual() << "-vhook"
                          << "imlib2.dll -c white -t x")},
            {"unknown module",
             line(s_source,
                  usual() << "-vhook" << hookArgument("white", font, "/usr/lib/vhook/drawtext.so"))},
            {"output is the input", line(s_source, usual(), s_source)},
            {"output is read-only", line(s_source, usual(), s_dir->filePath("read-only.flv"))},
            {"output is a folder", line(s_source, usual(), m_folder)},
            {"output is the input by another name",
             line(s_source, usual(), s_dir->filePath("sources/../sources/good clip.avi"))},
    };
    for (const auto &[name, arguments] : lines) {
        const ProcessResult result = run(tool("ffmpeg"), arguments);
        EXPECT_EQ(result.exitCode, 2) << name << ": " << result.errors.toStdString();
        EXPECT_EQ(result.errors.count('\n'), 1) << name << ": " << result.errors.toStdString();
        expectNothingLost();
    }
}

TEST_F(ToolEncodeFailures, BadSources)
{
    const QString notVideo = s_dir->filePath("sources/letter.avi");
    ASSERT_TRUE(writeFile(notVideo, QByteArray("Dear user, this is not a video.\n").repeated(50)));
    const QString truncated = s_dir->filePath("sources/truncated.avi");
    const QByteArray good = readFile(s_source);
    ASSERT_TRUE(writeFile(truncated, good.left(good.size() * 6 / 10)));
    m_before = snapshot(s_dir->path());

    for (const QString &source : {notVideo, truncated, s_dir->filePath("sources/missing.avi")}) {
        const ProcessResult result = run(tool("ffmpeg"), line(source, usual()));
        EXPECT_NE(result.exitCode, 0) << source.toStdString();
        EXPECT_FALSE(result.crashed);
        expectNothingLost();
    }
}

TEST_F(ToolEncodeFailures, OutputFolderMissing)
{
    const ProcessResult result = run(tool("ffmpeg"),
                                     line(s_source, usual(), m_folder + "/gone/clip.flv"));
    EXPECT_NE(result.exitCode, 0);
    EXPECT_FALSE(result.crashed);
    expectNothingLost();
}

// Root writes anywhere, so as root the front-end runs as the user nobody,
// for whom the root-owned folder is read-only.
ProcessResult runWithoutWriteAccess(const QString &program,
                                    const QStringList &arguments,
                                    const QString &folder)
{
    if (geteuid() == 0)
        return runAsUser(program, arguments, 65534, 65534);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const ProcessResult result = run(program, arguments);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return result;
}

const QFile::Permissions OpenToAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::ExeOther;

TEST_F(ToolEncodeFailures, OutputFolderNotWritable)
{
    // Everyone may read the source and enter the folders.
    ASSERT_TRUE(QFile::setPermissions(s_dir->path(), OpenToAll));
    ASSERT_TRUE(QFile::setPermissions(m_folder, OpenToAll));
    m_before = snapshot(s_dir->path());
    const ProcessResult result = runWithoutWriteAccess(tool("ffmpeg"),
                                                       line(s_source, usual()),
                                                       m_folder);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.exitCode, 126) << "could not change the user";
    EXPECT_FALSE(result.crashed);
    expectNothingLost();
}

TEST_F(ToolEncodeFailures, DiskFull)
{
    const ProcessResult result = runWithFileSizeLimit(tool("ffmpeg"),
                                                      line(s_source, usual()),
                                                      20000);
    EXPECT_NE(result.exitCode, 0) << result.errors.right(1000).toStdString();
    EXPECT_FALSE(result.crashed);
    expectNothingLost();

    const ProcessResult pictures = runWithFileSizeLimit(tool("ffmpeg"),
                                                        line(s_source,
                                                             {"-s", "640x480", "-vframes", "10"},
                                                             m_folder + "/cover%d.jpg"),
                                                        20000);
    EXPECT_NE(pictures.exitCode, 0);
    expectNothingLost();
}

TEST_F(ToolEncodeFailures, Interrupted)
{
    const QString longSource = s_dir->filePath("sources/long.avi");
    VideoSpec sourceVideo;
    sourceVideo.seconds = 20;
    sourceVideo.width = 640;
    sourceVideo.height = 480;
    ASSERT_TRUE(makeVideo(longSource, sourceVideo));
    m_before = snapshot(s_dir->path());

    QProcess process;
    const qint64 child = startAndWaitForChild(process,
                                              tool("ffmpeg"),
                                              line(longSource, {"-b", "800kb/s", "-s", "640x480"}));
    ASSERT_NE(child, 0) << "the encode ended before it could be interrupted";
    QThread::msleep(100);
    ::kill(process.processId(), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(processGone(child));
    expectNothingLost();
}

// ---------------------------------------------------------------- flvmdi

class ToolMetadataFailures : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_flv = s_dir->filePath("good.flv");
        VideoSpec sourceVideo;
        sourceVideo.seconds = 1;
        ASSERT_TRUE(makeVideo(s_flv, sourceVideo));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
        s_large.clear();
    }

    // A large FLV (about 60 MB) so that flvmeta runs long enough to be
    // interrupted: one encoded piece joined many times.
    static QString largeFlv()
    {
        if (!s_large.isEmpty())
            return s_large;
        const QString piece = s_dir->filePath("piece.flv");
        VideoSpec sourceVideo;
        sourceVideo.seconds = 10;
        sourceVideo.width = 640;
        sourceVideo.height = 480;
        sourceVideo.extraOutputOptions = {"-q:v", "2"};
        if (!makeVideo(piece, sourceVideo))
            return {};
        QByteArray list;
        for (int i = 0; i < 80; ++i)
            list += "file '" + piece.toUtf8() + "'\n";
        const QString listFile = s_dir->filePath("pieces.txt");
        writeFile(listFile, list);
        const QString large = s_dir->filePath("large.flv");
        const ProcessResult joined = run("ffmpeg",
                                         {"-nostdin",
                                          "-v",
                                          "error",
                                          "-y",
                                          "-f",
                                          "concat",
                                          "-safe",
                                          "0",
                                          "-i",
                                          listFile,
                                          "-c",
                                          "copy",
                                          large});
        if (joined.exitCode == 0)
            s_large = large;
        return s_large;
    }

    void SetUp() override
    {
        m_folder = s_dir->filePath(QString("work %1").arg(++s_counter));
        ASSERT_TRUE(QDir().mkpath(m_folder));
    }
    // The copies of the large file add up; each goes with its test.
    void TearDown() override { QDir(m_folder).removeRecursively(); }

    // Copies source into the work folder as the file to update.
    QString workFile(const QString &source, const QString &name = "clip.flv")
    {
        const QString path = m_folder + "/" + name;
        EXPECT_TRUE(QFile::copy(source, path));
        m_before = snapshot(m_folder);
        return path;
    }

    void expectUnchanged() const { EXPECT_EQ(snapshot(m_folder), m_before); }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_flv;
    static inline QString s_large;
    static inline int s_counter = 0;
    QString m_folder;
    QMap<QString, QByteArray> m_before;
};

TEST_F(ToolMetadataFailures, BadFiles)
{
    const QByteArray good = readFile(s_flv);
    const QString notFlv = m_folder + "/letter.flv";
    const QString truncated = m_folder + "/truncated.flv";
    const QString readOnly = m_folder + "/read only.flv";
    ASSERT_TRUE(writeFile(notFlv, "Dear user, this is not a video.\n"));
    ASSERT_TRUE(writeFile(truncated, good.left(good.size() / 2)));
    ASSERT_TRUE(writeFile(readOnly, good));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup));
    const QFile::Permissions readOnlyPermissions = QFile::permissions(readOnly);
    m_before = snapshot(m_folder);

    for (const QString &file : {notFlv, truncated, readOnly, m_folder + "/missing.flv"}) {
        const ProcessResult result = run(tool("flvmdi"), {file});
        EXPECT_NE(result.exitCode, 0) << file.toStdString();
        EXPECT_FALSE(result.crashed);
        EXPECT_EQ(result.errors.count('\n'), 1) << result.errors.toStdString();
        expectUnchanged();
    }
    EXPECT_EQ(QFile::permissions(readOnly), readOnlyPermissions);
    EXPECT_NE(run(tool("flvmdi"), {}).exitCode, 0);
    EXPECT_NE(run(tool("flvmdi"), {m_folder}).exitCode, 0);
}

// The updated file is written beside the original and renamed over it, so
// a folder that takes no new file refuses the update even when the file
// itself may be written.
TEST_F(ToolMetadataFailures, FolderNotWritable)
{
    const QString file = workFile(s_flv);
    ASSERT_TRUE(QFile::setPermissions(s_dir->path(), OpenToAll));
    ASSERT_TRUE(QFile::setPermissions(m_folder, OpenToAll));
    ASSERT_TRUE(QFile::setPermissions(file, OpenToAll | QFile::WriteOther));
    m_before = snapshot(m_folder);
    const ProcessResult result = runWithoutWriteAccess(tool("flvmdi"), {file}, m_folder);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.exitCode, 126) << "could not change the user";
    expectUnchanged();
}

TEST_F(ToolMetadataFailures, DiskFull)
{
    const QString file = workFile(s_flv);
    const ProcessResult result = runWithFileSizeLimit(tool("flvmdi"),
                                                      {file},
                                                      QFile(file).size() / 2);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_FALSE(result.crashed);
    expectUnchanged();
}

class ToolMetadataSignals : public ToolMetadataFailures, public testing::WithParamInterface<int>
{ };

TEST_P(ToolMetadataSignals, InterruptedWhileFlvmetaRuns)
{
    const QString large = largeFlv();
    ASSERT_FALSE(large.isEmpty());
    const QString file = workFile(large);

    QProcess process;
    const qint64 child = startAndWaitForChild(process, tool("flvmdi"), {file});
    ASSERT_NE(child, 0) << "flvmdi ended before it could be interrupted";
    ::kill(process.processId(), GetParam());
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(processGone(child));
    expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Signals, ToolMetadataSignals, testing::Values(SIGINT, SIGTERM));

// The signal arrives after flvmeta has written the new file but before it
// replaces the original: the original must still win.
TEST_F(ToolMetadataFailures, InterruptedBeforeTheReplace)
{
    const QString file = workFile(largeFlv());
    QProcess process;
    const qint64 child = startAndWaitForChild(process, tool("flvmdi"), {file});
    ASSERT_NE(child, 0);
    ::kill(process.processId(), SIGSTOP);
    for (int i = 0; i < 3000 && processState(child) != 'Z'; ++i)
        QThread::msleep(5);
    ASSERT_EQ(processState(child), 'Z') << "flvmeta did not finish";
    ::kill(process.processId(), SIGTERM);
    ::kill(process.processId(), SIGCONT);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_NE(process.exitCode(), 0);
    expectUnchanged();
}

// SIGKILL cannot be caught: flvmeta dies with flvmdi, the original stays,
// and the temporary left behind is removed by the next run in that folder.
TEST_F(ToolMetadataFailures, KilledThenRunAgain)
{
    const QString file = workFile(largeFlv());
    const QByteArray original = readFile(file);
    QProcess process;
    const qint64 child = startAndWaitForChild(process, tool("flvmdi"), {file});
    ASSERT_NE(child, 0);
    ::kill(process.processId(), SIGKILL);
    process.waitForFinished(30000);
    EXPECT_TRUE(processGone(child)) << "flvmeta outlived flvmdi";
    EXPECT_TRUE(readFile(file) == original);

    const ProcessResult again = run(tool("flvmdi"), {file});
    EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_EQ(QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList {"clip.flv"});
    EXPECT_EQ(run("flvmeta", {"--check", "--quiet", file}).exitCode, 0);
}

} // namespace
