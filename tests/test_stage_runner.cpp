#include "pipeline/StageRunner.h"
#include "pipeline/TimeRemaining.h"

#include "doubles/Doubles.h"
#include "support/TestMedia.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
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

struct Runner
{
    // Runs the command to its end, cancelling at the first progress report
    // when asked to; a child that ignores the quit request is killed soon.
    StageEnd run(PipelineStage stage, const StageCommand &command, bool cancelOnProgress = false)
    {
        runner.setStopSteps({{}, 50, 50});
        QSignalSpy ended(&runner, &StageRunner::ended);
        QObject::connect(&runner, &StageRunner::progressed, &runner, [&](double position, double) {
            positions.append(position);
            if (cancelOnProgress)
                runner.cancel();
        });
        runner.start(stage, command, 3.0);
        EXPECT_TRUE(runner.isRunning());
        EXPECT_TRUE(ended.wait(30000));
        EXPECT_FALSE(runner.isRunning());
        return ended.isEmpty() ? StageEnd::Failed : ended.first().first().value<StageEnd>();
    }

    platform::RecordingMessageBoxes boxes;
    StageRunner runner {boxes};
    QList<double> positions;
};

} // namespace

// How each child ends, the box it shows and the progress it reports; no
// box when cancelled at the first progress report.
TEST(StageRunner, EndsAsTheChildDoes)
{
    using enum PipelineStage;
    using enum StageEnd;
    const QString Kill = QString::number(SIGKILL);
    const std::tuple<PipelineStage, StageCommand, StageEnd, QList<Shown>> cases[]
            = {{Encode, child({"exit", "0"}), Succeeded, {{"ENCODING SUCCESSFUL!", 64, "Message"}}},
               {Images, child({"stdin"}), Succeeded, {{"IMAGE(S) GENERATED!", 64, "Message"}}},
               {Encode, child({"exit", "3"}), Failed, {{EncodeFailed, 16, "Error"}}},
               {Images, child({"signal", Kill}), Failed, {{"IMAGE GENERATION FAILED!", 16, "Error"}}},
               {Encode, child({"progress"}), Cancelled, {}},
               {Encode, child({"ignoreterm"}), Cancelled, {}},
               {Encode, {"/no/ffmpeg", {}}, Failed, {{"NO SUCH FILE OR DIRECTORY", 16, "Error"}}},
               {Encode, {"/etc", {}}, Failed, {{"PERMISSION DENIED", 16, "Error"}}}};
    for (const auto &[stage, command, end, shown] : cases) {
        Runner r;
        EXPECT_EQ(r.run(stage, command, shown.isEmpty()), end) << command.text().toStdString();
        EXPECT_EQ(r.boxes.shown(), shown);
        EXPECT_EQ(r.positions, shown.isEmpty() ? QList<double> {1.5} : QList<double> {});
    }
}

// A failure's details are the end of the tool's output, bounded; the
// arguments arrive as listed, never read by a shell.
TEST(StageRunner, FailureDetailsAndArguments)
{
    Runner r;
    r.run(PipelineStage::Encode, child({"fail", "1", QString::number(200 * 1024)}));
    ASSERT_EQ(r.boxes.shown(), QList<Shown>({{EncodeFailed, 16, "Error"}}));
    const QString details = r.boxes.detailsOf(0);
    EXPECT_LE(details.size(), StageRunner::OutputLimit);
    EXPECT_GT(details.size(), StageRunner::OutputLimit - 100);
    EXPECT_FALSE(details.contains("line 1\n"));

    QTemporaryDir dir;
    Runner fresh;
    StageCommand command = child({"args", dir.filePath("args out"), "-i"});
    command.arguments.quoted("/v/say \"hi\".avi").words({"x -t a;b $(id) `id`\r\nn", ""});
    EXPECT_EQ(fresh.run(PipelineStage::Encode, command), StageEnd::Succeeded);
    QFile out(dir.filePath("args out"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll().split('\0'),
              QList<QByteArray>({"-i", "/v/say \"hi\".avi", "x -t a;b $(id) `id`\r\nn", "", ""}));
}

// ffmpeg's "-progress" report, as it arrives from a pipe in pieces (between
// "|" here).
TEST(StageProgress, PositionAtEachBlockEnd)
{
    const std::pair<QByteArray, QList<double>> cases[]
            = {{"frame=3\nout_time_us=15|00000\r\nprogress=continue\n", {1.5}},
               {"out_time_us=N/A\nprogress=continue\n", {}},
               {"out_time_us=0\nprogress=continue\n\n\nout_time_us=1000000\n\nprogress=continue\n",
                {0, 1}},
               {"out_time_us=2000000\nprogress=continue\nout_time_us=-5\nprogress=end\n",
                {2.0, 2.0}},
               {QByteArray(5000, ' ') + "|out_time_us=5000000\nprogress=continue\n|"
                        + "out_time_us=3000000\nprogress=end\n",
                {3.0}}};
    for (const auto &[chunks, expected] : cases) {
        media::ProgressReader reader;
        QList<double> positions;
        for (const QByteArray &chunk : chunks.split('|'))
            for (const double position : reader.feed(chunk))
                positions << position;
        EXPECT_EQ(positions, expected) << chunks.left(40).toStdString();
    }
}

// The time still to wait follows the conversion's pace through its media.
TEST(StageProgress, TimeRemaining)
{
    for (const auto &[seconds, text] : {std::pair {59.7, "00:01:00"},
                                        {3725.0, "01:02:05"},
                                        {0.4, "00:00:00"},
                                        {1234.0 * 3600 + 61, "1234:01:01"},
                                        {-5.0, "00:00:00"}})
        EXPECT_EQ(FormatTimeRemaining(seconds), text);
    // Seconds elapsed and position of 60 s: remaining and share done.
    for (const auto &[elapsed, position, remaining, share] :
         {std::array {1.0, 30.0, 1.0, 0.5}, // copied, far faster than playback
          {20.0, 10.0, 100.0, 1 / 6.0}, // encoded, slower than playback
          {2.0, 0.0, 60.0, 0.0}, // nothing done yet
          {0.0, 5.0, 55.0, 5 / 60.0}}) { // no time elapsed
        const ProgressClock clock = wallClockProgress(elapsed, position, 60);
        EXPECT_DOUBLE_EQ(clock.length - clock.position, remaining);
        EXPECT_DOUBLE_EQ(clock.position / clock.length, share);
    }
}
