#include "pipeline/StageRunner.h"

#include "doubles/Doubles.h"
#include "support/TestPaths.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace pipeline;
using Shown = platform::RecordingMessageBoxes::Shown;

namespace {

const QString EncodeFailed = "ENCODING FAILED! POSSIBLE REASON IS A "
                             "DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE VIDEO FILE.";

StageCommand child(std::initializer_list<QString> arguments)
{
    StageCommand command {testChildProgram(), {}};
    command.arguments.words(arguments);
    return command;
}

} // namespace

// How each child ends, the box it shows and the progress it reports; no
// box when cancelled at the first progress report. A failure's details are
// the end of the tool's output, bounded; arguments arrive as listed, never
// read by a shell.
TEST(StageRunner, EndsAsTheChildDoes)
{
    using enum PipelineStage;
    using enum StageEnd;
    QTemporaryDir dir;
    StageCommand args = child({"args", dir.filePath("args out"), "-i"});
    args.arguments.quoted("/v/say \"hi\".avi").words({"x -t a;b $(id) `id`\r\nn", ""});
    const QString Kill = QString::number(SIGKILL);
    const std::tuple<PipelineStage, StageCommand, StageEnd, QList<Shown>> cases[]
            = {{Encode, args, Succeeded, {{"ENCODING SUCCESSFUL!", 64, "Message"}}},
               {Images, child({"stdin"}), Succeeded, {{"IMAGE(S) GENERATED!", 64, "Message"}}},
               {Encode, child({"fail", "3", "204800"}), Failed, {{EncodeFailed, 16, "Error"}}},
               {Images, child({"signal", Kill}), Failed, {{"IMAGE GENERATION FAILED!", 16, "Error"}}},
               {Encode, child({"progress"}), Cancelled, {}},
               {Encode, child({"ignoreterm"}), Cancelled, {}},
               {Encode, {"/no/ffmpeg", {}}, Failed, {{"NO SUCH FILE OR DIRECTORY", 16, "Error"}}},
               {Encode, {"/etc", {}}, Failed, {{"PERMISSION DENIED", 16, "Error"}}}};
    for (const auto &[stage, command, end, shown] : cases) {
        platform::RecordingMessageBoxes boxes;
        StageRunner runner {boxes};
        runner.setStopSteps({{}, 50, 50}); // a child that ignores the quit request is killed soon
        QList<double> positions;
        QSignalSpy ended(&runner, &StageRunner::ended);
        QObject::connect(&runner, &StageRunner::progressed, &runner, [&](double position, double) {
            positions.append(position);
            if (shown.isEmpty())
                runner.cancel();
        });
        runner.start(stage, command, 3.0);
        EXPECT_TRUE(runner.isRunning());
        ASSERT_TRUE(ended.wait(30000));
        EXPECT_FALSE(runner.isRunning());
        EXPECT_EQ(ended.first().first().value<StageEnd>(), end) << command.text().toStdString();
        EXPECT_EQ(boxes.shown(), shown);
        EXPECT_EQ(positions, shown.isEmpty() ? QList<double> {1.5} : QList<double> {});
        if (command.arguments.list().value(0) == "fail") {
            const QString details = boxes.detailsOf(0);
            EXPECT_LE(details.size(), StageRunner::OutputLimit);
            EXPECT_GT(details.size(), StageRunner::OutputLimit - 100);
            EXPECT_FALSE(details.contains("line 1\n"));
        }
    }
    QFile out(dir.filePath("args out"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll().split('\0'),
              QList<QByteArray>({"-i", "/v/say \"hi\".avi", "x -t a;b $(id) `id`\r\nn", "", ""}));
}

// A progress line beyond the bound is dropped whole; reading goes on after it.
TEST(StageProgress, OverLongLineIsDropped)
{
    media::ProgressReader reader;
    EXPECT_TRUE(reader.feed(QByteArray(5000, ' ')).empty());
    EXPECT_EQ(
            reader.feed(
                    "out_time_us=5000000\nprogress=continue\nout_time_us=3000000\nprogress=end\n"),
            std::vector<double> {3.0});
}
