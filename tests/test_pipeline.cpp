// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/FrameSize.h"
#include "media/ProgressReader.h"
#include "pipeline/EncodeRequest.h"
#include "pipeline/EncoderArguments.h"
#include "pipeline/QueuePlan.h"
#include "pipeline/StageCommands.h"
#include "pipeline/StageRunner.h"
#include "pipeline/TimeRemaining.h"

#include "doubles/Doubles.h"
#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"
#include "platform/ProcessControl.h"
#include "support/DataRows.h"
#include "support/TestMedia.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

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

// The result of the function a row of data/pipeline_rows.txt names.
QString result(const QString &function, const QStringList &a)
{
    if (function == "problem") {
        const char *controls[] = {"cmdInput", "cmdOutput", "txtOutFile", "txtWatermark"};
        const auto p = checkRequest({a[0], a[1], a[2], a[3] == "1", a[4]},
                                    [](auto &, auto &) { return false; });
        return p ? QString("%1|%2|%3").arg(p->message, controls[int(p->focus)]).arg(p->tab) : "";
    }
    if (function == "encoder" || function == "encoderList") {
        // clang-format off
        const ConversionOptions o {a[0], a[1], a[2] == "1", a[3] == "1", a[4], a[5], a[6], a[7], a[8],
                                   a[9], a[10], a[11] == "1", a[12], a[13], a[14],
                                   a[15] == "h264" ? FlvCodecs::H264Aac : FlvCodecs::SorensonMp3};
        // clang-format on
        const auto line = BuildEncoderArguments(o, "C:\\PROGRA~1\\CONVER~1", "C:\\WINDOWS", u'\\');
        return function == "encoder" ? line.text() : line.list().join('|');
    }
    if (function == "encode" || function == "metadata" || function == "images") {
        CommandArguments shown; // from the text: a word and its blank, or a blank alone
        for (const QString &word : a.value(2).split(' ').mid(0, a.value(2).count(' ')))
            word.isEmpty() ? shown.blank() : shown.words({word});
        const StageCommand c = function == "encode"
                ? encodeCommand(a[0], a[1], shown, a[3], a[4], a[5][0])
                : function == "metadata" ? metadataCommand(a[0], a[1], a[2], a[3][0])
                                         : imageCommand(a[0], a[1], a[2], a[3], a[4], a[5][0]);
        return c.text() + " => " + (QStringList(c.program) + c.arguments.list()).join('|');
    }
    if (function == "normalized")
        return QString::number(needsNormalization(a[0], a.value(1) == "quick"));
    if (function == "outputName")
        return proposeOutputName(a[0]).value_or("(kept)");
    if (function == "distinct") // the proposed name, then the names taken
        return distinctOutputName(a[0], QSet<QString>(a.begin() + 1, a.end()));
    if (function == "folder")
        return outputFolderText(a[0], a[1][0]);
    if (function == "frames")
        return imageFrameCount(a[0]);
    if (function == "alpha")
        return QString::number(watermarkAlpha(a[0]));
    if (function == "tempFile")
        return a.size() == 2 ? intermediateFile(a[0], a[1][0])
                             : intermediateFile(a[0], a[1] == "1", a[2], a[3][0]);
    if (function == "filters")
        return platform::CommonDialog::nameFilters(a.join('|')).join('|');
    if (function == "timeLeft")
        return FormatTimeRemaining(a[0].toDouble());
    if (function == "clock") {
        const ProgressClock c = wallClockProgress(a[0].toDouble(), a[1].toDouble(), 60);
        return QString("%1|%2").arg(c.length - c.position).arg(c.position / c.length);
    }
    if (function == "intermediate") {
        const auto size = media::intermediateFrameSize(
                media::displayedSize({a[0].toInt(), a[1].toInt()}, a[2].toDouble()));
        return QString("%1x%2").arg(size.width).arg(size.height);
    }
    if (function == "progress") {
        media::ProgressReader reader;
        QStringList positions;
        for (const QString &piece : a)
            for (const double position : reader.feed(piece.toUtf8()))
                positions << QString::number(position);
        return positions.join(' ') + QString(" (at %1)").arg(reader.position());
    }
    return "(no such function)";
}

} // namespace

// Each row of data/pipeline_rows.txt: function, arguments and result.
TEST(PipelineRows, EachGivesItsResult)
{
    EXPECT_EQ(differingRows("pipeline_rows.txt", result).toStdString(), "");
}

// However the output is spelled, it is refused when it is the source.
TEST(EncodeRequest, OutputCannotBeTheSourceByAnySpelling)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("clip.flv");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub") && QFile(source).open(QIODevice::WriteOnly)
                && QFile::link(source, dir.filePath("link.flv")));
    for (const QString output : {"//clip.flv", "/sub/../clip.flv", "/link.flv", "/other.flv"}) {
        const auto problem = checkRequest({source,
                                           dir.path() + output.section('/', 0, -2) + '/',
                                           output.section('/', -1)},
                                          platform::sameFile);
        EXPECT_EQ(problem.value_or(RequestProblem {}).message,
                  output == "/other.flv" ? "" : "OUTPUT FILE CANNOT BE THE SOURCE FILE!");
    }
}

// How each child ends, its box and progress; no box when cancelled at the first report. A
// failure's details are the end of the output, bounded; arguments arrive as listed, no shell.
TEST(StageRunner, EndsAsTheChildDoes)
{
    using enum PipelineStage;
    using enum StageEnd;
    QTemporaryDir dir;
    StageCommand args = child({"args", dir.filePath("args out"), "-i"});
    args.arguments.quoted("/v/say \"hi\".avi").words({"x -t a;b $(id) `id`\r\nn", ""});
    const QString Kill = QString::number(SIGKILL);
    const std::tuple<PipelineStage, StageCommand, StageEnd, QList<Shown>> cases[] = {
            {Encode, args, Succeeded, {{"ENCODING SUCCESSFUL!", 64, "Message"}}},
            {Images, child({"stdin"}), Succeeded, {{"IMAGE(S) GENERATED!", 64, "Message"}}},
            {Encode, child({"fail", "3", "204800"}), Failed, {{EncodeFailed, 16, "Error"}}},
            // An exit of 1 with no signal fails every stage that reports.
            {Encode, child({"fail", "1", "9"}), Failed, {{EncodeFailed, 16, "Error"}}},
            {Metadata,
             child({"fail", "1", "9"}),
             Failed,
             {{"FLV METADATA INJECTION FAILED!", 16, "Error"}}},
            {Images, child({"fail", "1", "9"}), Failed, {{"IMAGE GENERATION FAILED!", 16, "Error"}}},
            {Images, child({"signal", Kill}), Failed, {{"IMAGE GENERATION FAILED!", 16, "Error"}}},
            {Encode, child({"progress"}), Cancelled, {}},
            {Encode, child({"ignoreterm"}), Cancelled, {}},
            {Encode, {"/no/ffmpeg", {}}, Failed, {{"NO SUCH FILE OR DIRECTORY", 16, "Error"}}},
            {Encode, {"/etc", {}}, Failed, {{"PERMISSION DENIED", 16, "Error"}}}};
    platform::RecordingMessageBoxes boxes;
    StageRunner runner {&boxes}; // one for every case: nothing of a case carries over
    runner.setStopSteps({{}, 50, 50}); // a child that ignores the quit request is killed soon
    QList<double> positions;
    bool cancelAtFirst = false;
    QObject::connect(&runner, &StageRunner::progressed, &runner, [&](double position, double) {
        positions.append(position);
        if (cancelAtFirst)
            runner.cancel();
    });
    for (const auto &[stage, command, end, shown] : cases) {
        boxes.clear();
        positions.clear();
        cancelAtFirst = shown.isEmpty();
        QSignalSpy ended(&runner, &StageRunner::ended);
        runner.start(stage, command, 3.0);
        EXPECT_TRUE(runner.isRunning());
        ASSERT_TRUE(ended.wait(30000));
        EXPECT_FALSE(runner.isRunning());
        EXPECT_EQ(ended.first().first().value<StageEnd>(), end) << command.text().toStdString();
        EXPECT_EQ(boxes.shown(), shown);
        EXPECT_EQ(runner.failure().isEmpty(), end != Failed);
        EXPECT_EQ(positions, shown.isEmpty() ? QList<double> {1.5} : QList<double> {});
        const QString details = boxes.detailsOf(0); // the end of the output, bounded
        if (command.arguments.list().value(2) == "204800")
            EXPECT_TRUE(qAbs(details.size() - StageRunner::OutputLimit + 50) <= 50
                        && !details.contains("line 1\n"));
    }
    QFile out(dir.filePath("args out"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll().split('\0'),
              QList<QByteArray>({"-i", "/v/say \"hi\".avi", "x -t a;b $(id) `id`\r\nn", "", ""}));
}

// A child that ignores the quit request is ended by SIGTERM; one that ignores SIGTERM too, by
// SIGKILL: on timers while the program runs, and waiting at the program's end.
TEST(ProcessControl, ChildTerminatedThenKilled)
{
    const std::pair<QString, int> modes[] = {{"progress", SIGTERM}, {"ignoreterm", SIGKILL}};
    for (const bool atTheEnd : {true, false})
        for (const auto &[mode, signal] : modes) {
            SCOPED_TRACE((atTheEnd ? "at the end: " : "while running: ") + mode.toStdString());
            QProcess child;
            child.start(testChildProgram(), {mode});
            ASSERT_TRUE(child.waitForReadyRead(10000)); // its signals are set by then
            if (atTheEnd) {
                platform::finishChild(child, {"q\n", 50, 2000});
            } else {
                QSignalSpy finished(&child, &QProcess::finished);
                platform::stopChild(child, {"q\n", 50, 500});
                EXPECT_EQ(child.state(), QProcess::Running); // it returns at once
                EXPECT_TRUE(finished.wait(10000));
            }
            EXPECT_EQ(child.state(), QProcess::NotRunning);
            EXPECT_EQ(std::pair(child.exitStatus(), child.exitCode()),
                      std::pair(QProcess::CrashExit, signal));
        }
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
