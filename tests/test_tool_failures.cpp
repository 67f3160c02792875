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

// Every file under folder (hidden ones too) with its content; folders and
// special files (which may block a reader) by their kind.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder,
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        const QString name = QDir(folder).relativeFilePath(path);
        if (it.fileInfo().isDir())
            files.insert(name, "<dir>");
        else if (!it.fileInfo().isFile() || !file.open(QIODevice::ReadOnly))
            files.insert(name, "<special>");
        else
            files.insert(name, file.readAll());
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

QString hookArgument(const QString &colour,
                     const QString &font,
                     const QString &module = {},
                     const QString &table = {})
{
    const QString vhook = applicationFolderUnderTest() + "/vhook/";
    return (module.isEmpty() ? vhook + "imlib2.dll" : module) + " -c " + colour + " -F " + font
            + "/16 -C " + (table.isEmpty() ? vhook + "rgb.txt" : table)
            + " -A 255 -x 5 -y 5 -t Text";
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
    const QString percentSource = s_dir->filePath("sources/clip%d.flv");
    ASSERT_TRUE(QFile::copy(s_source, percentSource));
    const QString pipe = s_dir->filePath("table pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString bigTable = s_dir->filePath("big rgb.txt");
    ASSERT_TRUE(writeFile(bigTable, QByteArray("255 255 255\t\twhite\n").repeated(100000)));
    const QString notFont = s_dir->filePath("letter.ttf");
    ASSERT_TRUE(writeFile(notFont, "Dear user, this is not a font.\n"));
    m_before = snapshot(s_dir->path());
    const QString font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    const QString deepFolder = m_folder + QString("/" + QString(200, u'd')).repeated(21);
    const QList<QPair<const char *, QStringList>> lines {
            {"unknown option", line(s_source, usual() + QStringList {"-vf", "hflip"})},
            {"unsupported codec", line(s_source, usual() + QStringList {"-vcodec", "mpeg4"})},
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
            {"output with a percent sign is the input", line(percentSource, usual(), percentSource)},
            {"colour table is a pipe",
             line(s_source, usual() << "-vhook" << hookArgument("white", font, {}, pipe))},
            {"colour table is a device",
             line(s_source, usual() << "-vhook" << hookArgument("white", font, {}, "/dev/zero"))},
            {"colour table is too large",
             line(s_source, usual() << "-vhook" << hookArgument("white", font, {}, bigTable))},
            {"font is no font",
             line(s_source, usual() << "-vhook" << hookArgument("white", notFont))},
            {"output name too long", line(s_source, usual(), m_folder + "/" + QString(300, u'n'))},
            {"output path too long", line(s_source, usual(), deepFolder + "/clip.flv")},
    };
    for (const auto &[name, arguments] : lines) {
        const ProcessResult result = run(tool("ffmpeg"), arguments);
        EXPECT_EQ(result.exitCode, 2) << name << ": " << result.errors.toStdString();
        EXPECT_EQ(result.errors.count('\n'), 1) << name << ": " << result.errors.toStdString();
        expectNothingLost();
    }
}

// Sources with nothing to decode fail and write nothing.
TEST_F(ToolEncodeFailures, BadSources)
{
    const QString notVideo = s_dir->filePath("sources/letter.avi");
    ASSERT_TRUE(writeFile(notVideo, QByteArray("Dear user, this is not a video.\n").repeated(50)));
    const QString truncated = s_dir->filePath("sources/truncated.avi");
    const QByteArray good = readFile(s_source);
    ASSERT_TRUE(writeFile(truncated, good.left(good.indexOf("movi") + 4))); // before any frame
    m_before = snapshot(s_dir->path());

    for (const QString &source : {notVideo, truncated, s_dir->filePath("sources/missing.avi")}) {
        const ProcessResult result = run(tool("ffmpeg"), line(source, usual()));
        EXPECT_NE(result.exitCode, 0) << source.toStdString();
        EXPECT_FALSE(result.crashed);
        expectNothingLost();
    }
}

// Names are bytes: a name that is no valid UTF-8 is refused, and the file
// whose name it would have become if read loosely stays as it was.
TEST_F(ToolEncodeFailures, NamesThatAreNotUtf8)
{
    const QByteArray folder = QFile::encodeName(m_folder);
    ASSERT_TRUE(writeFile(m_folder + "/caf\uFFFD.flv", Precious));
    m_before = snapshot(s_dir->path());
    const QList<QPair<QByteArray, QList<QByteArray>>> runs {
            {QFile::encodeName(tool("ffmpeg")),
             {"-i", QFile::encodeName(s_source), "-s", "160x120", folder + "/caf\xe9.flv"}},
            {QFile::encodeName(tool("flvmdi")), {folder + "/caf\xe9.flv"}},
            {QFile::encodeName(tool("flvmdi")), {folder + "/caf\xef\xbf.flv"}},
    };
    for (const auto &[program, arguments] : runs) {
        EXPECT_EQ(runWithByteArguments(program, arguments), 2) << arguments.last().toStdString();
        expectNothingLost();
    }
}

// A few damaged bytes in the middle of a source cost a damaged picture or
// two, as with ffmpeg itself, not the whole conversion.
TEST_F(ToolEncodeFailures, LightlyDamagedSourceConverts)
{
    const QString damaged = s_dir->filePath("sources/damaged.avi");
    VideoSpec sourceVideo;
    sourceVideo.seconds = 4;
    ASSERT_TRUE(makeVideo(damaged, sourceVideo));
    QByteArray bytes = readFile(damaged);
    bytes.replace(bytes.size() / 2, 16, QByteArray(16, '\xff'));
    ASSERT_TRUE(writeFile(damaged, bytes));
    const QString output = m_folder + "/damaged.flv";
    const ProcessResult result = run(tool("ffmpeg"), line(damaged, usual(), output));
    ASSERT_EQ(result.exitCode, 0) << result.errors.right(2000).toStdString();
    EXPECT_EQ(run("flvmeta", {"--check", "--quiet", output}).exitCode, 0);
    EXPECT_NEAR(durationSeconds(probe(output)), 4.0, 0.2);
}

// A picture that may not be replaced stops all of them: the grab leaves
// none of its pictures behind.
TEST_F(ToolEncodeFailures, PicturesAllOrNothing)
{
    ASSERT_TRUE(writeFile(m_folder + "/cover3.jpg", Precious));
    ASSERT_TRUE(QFile::setPermissions(m_folder + "/cover3.jpg", QFile::ReadOwner));
    m_before = snapshot(s_dir->path());
    const ProcessResult result = run(tool("ffmpeg"),
                                     line(s_source,
                                          {"-s", "160x120", "-vframes", "5"},
                                          m_folder + "/cover%d.jpg"));
    EXPECT_NE(result.exitCode, 0);
    EXPECT_FALSE(result.crashed);
    expectNothingLost();
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

class ToolEncodeSignals : public ToolEncodeFailures, public testing::WithParamInterface<int>
{ };

TEST_P(ToolEncodeSignals, Interrupted)
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
    ::kill(process.processId(), GetParam());
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(processGone(child));
    expectNothingLost();
}

INSTANTIATE_TEST_SUITE_P(Signals, ToolEncodeSignals, testing::Values(SIGINT, SIGTERM));

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

// The disk fills halfway, or only at flvmeta's last flush (which flvmeta
// itself does not notice).
TEST_F(ToolMetadataFailures, DiskFull)
{
    const QString updated = s_dir->filePath("updated.flv");
    ASSERT_EQ(run("flvmeta", {"-U", "--preserve", s_flv, updated}).exitCode, 0);
    const qint64 updatedSize = QFile(updated).size();
    for (const qint64 limit : {QFile(s_flv).size() / 2, updatedSize - 300}) {
        const QString file = workFile(s_flv);
        const ProcessResult result = runWithFileSizeLimit(tool("flvmdi"), {file}, limit);
        EXPECT_NE(result.exitCode, 0) << limit;
        EXPECT_FALSE(result.crashed);
        expectUnchanged();
        QFile::remove(file);
    }
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

// Another program writes the file while flvmdi works on it: its change
// stays, whatever it changed.
TEST_F(ToolMetadataFailures, ChangedMeanwhile)
{
    const QList<QPair<const char *, std::function<void(const QString &)>>> changes {
            {"size",
             [](const QString &file) {
                 QFile f(file);
                 f.open(QIODevice::Append);
                 f.write("x");
             }},
            {"time",
             [](const QString &file) {
                 QFile f(file);
                 f.open(QIODevice::ReadWrite);
                 f.setFileTime(QDateTime::currentDateTime().addSecs(60),
                               QFileDevice::FileModificationTime);
             }},
            {"inode",
             [](const QString &file) {
                 QFile::copy(file, file + ".new");
                 ::rename(QFile::encodeName(file + ".new").constData(),
                          QFile::encodeName(file).constData());
             }},
    };
    for (const auto &[what, change] : changes) {
        const QString file = workFile(largeFlv());
        QProcess process;
        const qint64 child = startAndWaitForChild(process, tool("flvmdi"), {file});
        ASSERT_NE(child, 0) << what;
        ::kill(process.processId(), SIGSTOP);
        for (int i = 0; i < 3000 && processState(child) != 'Z'; ++i)
            QThread::msleep(5);
        ASSERT_EQ(processState(child), 'Z') << "flvmeta did not finish";
        change(file);
        const QByteArray changed = readFile(file);
        ::kill(process.processId(), SIGCONT);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_NE(process.exitCode(), 0) << what;
        EXPECT_TRUE(readFile(file) == changed) << what;
        EXPECT_EQ(QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList {"clip.flv"});
        QFile::remove(file);
    }
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
