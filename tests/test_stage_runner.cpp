#include "pipeline/StageRunner.h"

#include "doubles/RecordingMessageBoxes.h"
#include "platform/QtProcessLauncher.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace pipeline;
using platform::RecordingMessageBoxes;
using Shown = RecordingMessageBoxes::Shown;

namespace {

const QString EncodeFailed = "ENCODING FAILED! POSSIBLE REASON IS A "
                             "DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE VIDEO FILE.";

class StageRunnerTest : public ::testing::Test
{
protected:
    void run(PipelineStage stage, const QString &command)
    {
        runner.RunStage(stage, command, state);
    }
    QString child(const QString &arguments) const { return testChildProgram() + ' ' + arguments; }

    platform::QtProcessLauncher launcher;
    RecordingMessageBoxes boxes;
    StageRunner runner {launcher, boxes};
    JobState state;
};

} // namespace

TEST_F(StageRunnerTest, SuccessMessagesPerStage)
{
    run(PipelineStage::Encode, child("exit 0"));
    EXPECT_TRUE(state.encodeSucceeded);
    EXPECT_GT(state.childProcessId, 0);
    run(PipelineStage::Metadata, child("exit 0"));
    run(PipelineStage::Images, child("exit 0"));
    EXPECT_EQ(boxes.shown(),
              QList<Shown>(
                      {{"ENCODING SUCCESSFUL!", 64, "Message"},
                       {"FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!", 64, "Message"},
                       {"IMAGE(S) GENERATED!", 64, "Message"}}));
}

TEST_F(StageRunnerTest, AnyNonZeroExitFailsTheEncode)
{
    for (const char *code : {"1", "3"}) {
        state.encodeSucceeded = true;
        boxes.clear();
        run(PipelineStage::Encode, child(QString("exit ") + code));
        EXPECT_FALSE(state.encodeSucceeded) << code;
        EXPECT_EQ(state.childExitCode, QString(code).toUInt());
        EXPECT_EQ(boxes.shown(), QList<Shown>({{EncodeFailed, 16, "Error"}}));
    }
}

TEST_F(StageRunnerTest, LaterStagesNeverTouchEncodeOutcome)
{
    run(PipelineStage::Encode, child("exit 0"));
    run(PipelineStage::Metadata, child("exit 1"));
    EXPECT_TRUE(state.encodeSucceeded);
    run(PipelineStage::Images, child("exit 3"));
    EXPECT_TRUE(state.encodeSucceeded);

    state.encodeSucceeded = false;
    run(PipelineStage::Images, child("exit 0"));
    EXPECT_FALSE(state.encodeSucceeded);

    EXPECT_EQ(boxes.shown().mid(1, 2),
              QList<Shown>({{"FLV METADATA INJECTION FAILED!", 16, "Error"},
                            {"IMAGE GENERATION FAILED!", 16, "Error"}}));
}

TEST_F(StageRunnerTest, ChildKilledBySignalFails)
{
    state.encodeSucceeded = true;
    run(PipelineStage::Encode, child(QString("signal %1").arg(SIGKILL)));
    EXPECT_FALSE(state.encodeSucceeded);
    run(PipelineStage::Metadata, child(QString("signal %1").arg(SIGSEGV)));
    EXPECT_EQ(boxes.shown(),
              QList<Shown>({{EncodeFailed, 16, "Error"},
                            {"FLV METADATA INJECTION FAILED!", 16, "Error"}}));
}

TEST_F(StageRunnerTest, MissingProgramShowsSystemErrorText)
{
    state.encodeSucceeded = true;
    run(PipelineStage::Encode, "/nonexistent/folder/ffmpeg -i \"a.avi\" \"b.flv\"");
    EXPECT_FALSE(state.encodeSucceeded);
    EXPECT_EQ(boxes.shown(), QList<Shown>({{"NO SUCH FILE OR DIRECTORY", 16, "Error"}}));
}

TEST_F(StageRunnerTest, ProgramWithoutExecPermissionShowsPermissionDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may execute any file";
    QTemporaryDir dir;
    const QString program = dir.filePath("flvmdi");
    ASSERT_TRUE(QFile::copy(testChildProgram(), program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner);
    run(PipelineStage::Metadata, program + " exit 0");
    EXPECT_EQ(boxes.shown(), QList<Shown>({{"PERMISSION DENIED", 16, "Error"}}));
}

TEST_F(StageRunnerTest, NonProgramFileShowsExecFormatError)
{
    QTemporaryDir dir;
    const QString program = dir.filePath("ffmpeg");
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x7f"
               "ELFnot really a program");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    state.encodeSucceeded = true;
    run(PipelineStage::Encode, program + " -i x");
    EXPECT_FALSE(state.encodeSucceeded);
    EXPECT_EQ(boxes.shown(), QList<Shown>({{"EXEC FORMAT ERROR", 16, "Error"}}));
}

TEST_F(StageRunnerTest, BlankCommandRunsNothing)
{
    state.encodeSucceeded = true;
    state.childProcessId = 42;
    run(PipelineStage::Encode, "    ");
    run(PipelineStage::Encode, "");
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_TRUE(state.encodeSucceeded);
    EXPECT_EQ(state.childProcessId, 42);
}

TEST_F(StageRunnerTest, LeadingBlanksStillRun)
{
    run(PipelineStage::Encode, "   " + child("exit 0"));
    EXPECT_TRUE(state.encodeSucceeded);
}

TEST_F(StageRunnerTest, ProgramInFolderWithBlanksGetsExactArguments)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("My Apps/conv"));
    const QString program = dir.filePath("My Apps/conv/ffmpeg");
    ASSERT_TRUE(QFile::copy(testChildProgram(), program));
    const QString record = dir.filePath("args out");

    run(PipelineStage::Encode,
        program + " args \"" + record
                + "\" -i \"/v/my clip.avi\" -b 350kb/s  -vhook \"x -t a;b $(id) `id`\" \"\"");
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown().first().prompt, "ENCODING SUCCESSFUL!");

    QFile out(record);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QList<QByteArray> got = out.readAll().split('\0');
    EXPECT_EQ(got,
              QList<QByteArray>({"-i",
                                 "/v/my clip.avi",
                                 "-b",
                                 "350kb/s",
                                 "-vhook",
                                 "x -t a;b $(id) `id`",
                                 "",
                                 ""}));
}

TEST_F(StageRunnerTest, ChildReadsEndOfInputAtOnce)
{
    run(PipelineStage::Encode, child("stdin"));
    EXPECT_TRUE(state.encodeSucceeded);
}

TEST_F(StageRunnerTest, ChildOutputGoesToStandardError)
{
    QTemporaryDir dir;
    const QByteArray outPath = QFile::encodeName(dir.filePath("out"));
    const QByteArray errPath = QFile::encodeName(dir.filePath("err"));
    fflush(stdout);
    fflush(stderr);
    const int savedOut = ::dup(STDOUT_FILENO);
    const int savedErr = ::dup(STDERR_FILENO);
    const int out = ::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    run(PipelineStage::Images, child("print marker-from-child"));
    ::dup2(savedOut, STDOUT_FILENO);
    ::dup2(savedErr, STDERR_FILENO);
    ::close(out);
    ::close(err);
    ::close(savedOut);
    ::close(savedErr);

    QFile outFile(QFile::decodeName(outPath));
    QFile errFile(QFile::decodeName(errPath));
    ASSERT_TRUE(outFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(errFile.open(QIODevice::ReadOnly));
    EXPECT_FALSE(outFile.readAll().contains("marker-from-child"));
    EXPECT_TRUE(errFile.readAll().contains("marker-from-child"));
}

TEST(SystemErrorText, GivesTheSystemTextWithoutLineBreak)
{
    EXPECT_EQ(platform::SystemErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(platform::SystemErrorText(EACCES), "Permission denied");
    EXPECT_EQ(platform::SystemErrorText(100000), "");
    EXPECT_EQ(platform::SystemErrorText(0xffffffffu), "");
}
