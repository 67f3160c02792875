#include "pipeline/StageRunner.h"

#include "doubles/Doubles.h"
#include "support/TestPaths.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace pipeline;
using platform::RecordingMessageBoxes;
using Shown = RecordingMessageBoxes::Shown;

namespace {

const QString MetadataFailed = "FLV METADATA INJECTION FAILED!";
const QString EncodeFailed = "ENCODING FAILED! POSSIBLE REASON IS A "
                             "DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE VIDEO FILE.";

StageCommand child(std::initializer_list<QString> arguments)
{
    StageCommand command {testChildProgram(), {}};
    command.arguments.words(arguments);
    return command;
}

struct RunCase
{
    const char *name;
    PipelineStage stage;
    StageCommand command;
    StageEnd end;
    QList<Shown> shown; // none: cancelled at the first progress report
};

std::ostream &operator<<(std::ostream &out, const RunCase &c)
{
    return out << c.name;
}

class StageRunnerTest : public testing::TestWithParam<RunCase>
{
protected:
    // Runs the command to its end; cancels at the first progress report
    // when asked to.
    StageEnd run(PipelineStage stage, const StageCommand &command, bool cancelOnProgress = false)
    {
        QSignalSpy ended(&runner, &StageRunner::ended);
        QObject::connect(&runner, &StageRunner::progressed, &runner, [&](double position, double) {
            positions.append(position);
            if (cancelOnProgress)
                runner.cancel();
        });
        runner.start(stage, command, 3.0);
        EXPECT_TRUE(runner.isRunning());
        EXPECT_TRUE(ended.wait(60000));
        EXPECT_FALSE(runner.isRunning());
        return ended.isEmpty() ? StageEnd::Failed : ended.first().first().value<StageEnd>();
    }

    RecordingMessageBoxes boxes;
    StageRunner runner {boxes};
    QList<double> positions;
};

} // namespace

TEST_P(StageRunnerTest, EndsAsTheChildDoes)
{
    const RunCase &c = GetParam();
    // A child that ignores the quit request is killed soon after.
    runner.setStopSteps({{}, 50, 50});
    EXPECT_EQ(run(c.stage, c.command, c.shown.isEmpty()), c.end);
    EXPECT_EQ(boxes.shown(), c.shown);
    EXPECT_EQ(positions, c.shown.isEmpty() ? QList<double> {1.5} : QList<double> {});
}

Shown told(const QString &text)
{
    return {text, 64, "Message"};
}
Shown error(const QString &text)
{
    return {text, 16, "Error"};
}

using enum PipelineStage;
using enum StageEnd;
const QString Kill = QString::number(SIGKILL);
const RunCase RunCases[] = {
        {"Finished", Encode, child({"exit", "0"}), Succeeded, {told("ENCODING SUCCESSFUL!")}},
        {"ReadingNoInput", Images, child({"stdin"}), Succeeded, {told("IMAGE(S) GENERATED!")}},
        {"Failed", Encode, child({"exit", "3"}), Failed, {error(EncodeFailed)}},
        {"Killed", Metadata, child({"signal", Kill}), Failed, {error(MetadataFailed)}},
        {"Cancelled", Encode, child({"progress"}), Cancelled, {}},
        {"IgnoringTheQuitRequest", Encode, child({"ignoreterm"}), Cancelled, {}},
        {"MissingProgram", Encode, {"/no/ffmpeg", {}}, Failed, {error("NO SUCH FILE OR DIRECTORY")}},
        {"FolderForProgram", Encode, {"/etc", {}}, Failed, {error("PERMISSION DENIED")}}};
INSTANTIATE_TEST_SUITE_P(Children,
                         StageRunnerTest,
                         testing::ValuesIn(RunCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(StageRunnerTest, FailureDetailsAreTheLastOutputBounded)
{
    run(PipelineStage::Metadata, child({"fail", "1", QString::number(200 * 1024)}));
    ASSERT_EQ(boxes.shown(), QList<Shown>({{MetadataFailed, 16, "Error"}}));
    const QString details = boxes.detailsOf(0);
    EXPECT_LE(details.size(), StageRunner::OutputLimit);
    EXPECT_GT(details.size(), StageRunner::OutputLimit - 100);
    EXPECT_FALSE(details.contains("line 1\n"));
}

TEST_F(StageRunnerTest, ArgumentsArriveExactlyAsListed)
{
    QTemporaryDir dir;
    const QString record = dir.filePath("args out");
    StageCommand command {testChildProgram(), {}};
    command.arguments.words({"args", record, "-i"})
            .quoted("/v/say \"hi\".avi")
            .words({"-vhook", "x -t a;b $(id) `id`\r\nnext", ""});
    EXPECT_EQ(run(PipelineStage::Encode, command), StageEnd::Succeeded);

    QFile out(record);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll().split('\0'),
              QList<QByteArray>(
                      {"-i", "/v/say \"hi\".avi", "-vhook", "x -t a;b $(id) `id`\r\nnext", "", ""}));
}
