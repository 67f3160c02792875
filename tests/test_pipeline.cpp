#include "media/FrameSize.h"
#include "media/ProgressReader.h"
#include "pipeline/EncodeRequest.h"
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "pipeline/StageRunner.h"
#include "pipeline/TimeRemaining.h"

#include "doubles/Doubles.h"
#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"
#include "support/DataRows.h"
#include "support/TestMedia.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

using namespace pipeline;
using Shown = platform::RecordingMessageBoxes::Shown;

namespace {

const QString WinApp = "C:\\Program Files\\Converter";
const QString Hook = "C:\\PROGRA~1\\CONVER~1\\vhook\\imlib2.dll -c white -F "
                     "C:\\WINDOWS\\fonts\\%1/16 -C C:\\PROGRA~1\\CONVER~1\\vhook\\rgb.txt -A %2 "
                     "-x 10 -y 20 -t %3";

// The controls of the worked example, its watermark off.
const ConversionOptions Example {.videoBitrate = "350",
                                 .videoWindow = "320x240",
                                 .watermarkText = "Sample",
                                 .colorName = "white",
                                 .fontFile = "arial.ttf",
                                 .fontSize = "16",
                                 .left = "10",
                                 .top = "20",
                                 .alpha = "200",
                                 .sampling = "22050",
                                 .audioBitrate = "64",
                                 .channels = "Stereo"};

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
    if (function == "normalized")
        return QString::number(needsNormalization(a[0], a.value(1) == "quick"));
    if (function == "outputName")
        return proposeOutputName(a[0]).value_or("(kept)");
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
        return positions.join(' ');
    }
    return "(no such function)";
}

} // namespace

// Each row of data/pipeline_rows.txt: function, arguments and result.
TEST(PipelineRows, EachGivesItsResult)
{
    const auto rows = dataRows("pipeline_rows.txt");
    EXPECT_GE(rows.size(), 70);
    for (const auto &[line, row] : rows)
        EXPECT_EQ(result(row[0], row[1].split('|')).toStdString(), row.value(2).toStdString())
                << "pipeline_rows.txt:" << line;
}

// What reaches the encoder, as the window shows it, for the worked example and changes to it:
// controls of a part that is off are not read; H.264 adds its codecs before the output name.
TEST(EncoderArguments, Lines)
{
    const auto windowsBuild = [](const ConversionOptions &o) {
        return BuildEncoderArguments(o, "C:\\PROGRA~1\\CONVER~1", "C:\\WINDOWS", u'\\');
    };
    const std::pair<std::function<void(ConversionOptions &)>, QString> cases[] = {
            {[](auto &) {}, " -b 350kb/s -r 25 -s 320x240 -ar 22050Hz -ab 64 -ac 2 "},
            {[](auto &o) { o.watermarkOn = true; },
             " -b 350kb/s -r 25 -s 320x240  -vhook \"" + Hook.arg("arial.ttf", "200", "Sample")
                     + "\" -ar 22050Hz -ab 64 -ac 2 "},
            {[](auto &o) { o.deInterlace = o.watermarkOn = o.audioOff = true; },
             " -b 350kb/s -r 25 -s 320x240  -deinterlace  -vhook \""
                     + Hook.arg("arial.ttf", "200", "Sample") + "\" -an "},
            {[](auto &o) { o.channels = "stereo"; },
             " -b 350kb/s -r 25 -s 320x240 -ar 22050Hz -ab 64 -ac 1 "},
            {[](auto &o) { o.videoWindow = o.videoBitrate = ""; },
             " -b kb/s -r 25 -s  -ar 22050Hz -ab 64 -ac 2 "},
    };
    for (const auto &[change, line] : cases) {
        ConversionOptions o = Example;
        change(o);
        EXPECT_EQ(windowsBuild(o).text(), line);
        o.codecs = FlvCodecs::H264Aac;
        EXPECT_EQ(windowsBuild(o).text(), line + "-vcodec h264 -acodec aac ");
    }
    // Started, each value is whole, an empty one too, the hook's text as typed.
    ConversionOptions o = Example;
    o.videoWindow = o.alpha = "";
    o.watermarkOn = o.audioOff = true;
    o.watermarkText = "  two\r\nlines  ";
    o.fontFile = "Times New Roman.ttf";
    const QString hook = Hook.arg(o.fontFile, "255", o.watermarkText);
    EXPECT_EQ(windowsBuild(o).list(),
              QStringList({"-b", "350kb/s", "-r", "25", "-s", "", "-vhook", hook, "-an"}));
}

// Each stage's command, byte for byte as shown, and as started (the program
// and its arguments between "|").
TEST(StageCommands, TextAndList)
{
    const QString temp = WinApp + "\\temp.mpg";
    const QString ffmpeg = WinApp + "\\ffmpeg";
    CommandArguments encoder, an;
    encoder.blank().words({"-b", "350kb/s", "-s", "320x240"}).blank().words({"-deinterlace", "-an"});
    an.blank().words({"-an"});
    const std::tuple<StageCommand, QString, QString> cases[]
            = {{encodeCommand(WinApp, temp, encoder, "D:\\Out\\", "clip.flv", u'\\'),
                ffmpeg + " -i \"" + temp + "\" -b 350kb/s -s 320x240  -deinterlace -an "
                        + "\"D:\\Out\\clip.flv\"",
                ffmpeg + "|-i|" + temp
                        + "|-b|350kb/s|-s|320x240|-deinterlace|-an|D:\\Out\\clip.flv"},
               {metadataCommand(WinApp, "D:\\Out\\", "clip.flv", u'\\'),
                WinApp + "\\flvmdi \"D:\\Out\\clip.flv\"",
                WinApp + "\\flvmdi|D:\\Out\\clip.flv"},
               {imageCommand(WinApp, temp, "", "05", "D:\\Out\\", u'\\'),
                ffmpeg + " -i \"" + temp + "\" -s  -vframes 05 \"D:\\Out\\cover%d.jpg\"",
                ffmpeg + "|-i|" + temp + "|-s||-vframes|05|D:\\Out\\cover%d.jpg"},
               {encodeCommand("/My Apps", "/v/say \"hi\".avi", an, "/o \"x\"/", "x\".flv", u'/'),
                "/My Apps/ffmpeg -i \"/v/say \"hi\".avi\" -an \"/o \"x\"/x\".flv\"",
                "/My Apps/ffmpeg|-i|/v/say \"hi\".avi|-an|/o \"x\"/x\".flv"}};
    for (const auto &[command, text, started] : cases) {
        EXPECT_EQ(command.text(), text);
        EXPECT_EQ(QStringList(command.program) + command.arguments.list(), started.split(u'|'));
    }
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
        const QString details = boxes.detailsOf(0); // the end of the output, bounded
        if (command.arguments.list().value(0) == "fail")
            EXPECT_TRUE(qAbs(details.size() - StageRunner::OutputLimit + 50) <= 50
                        && !details.contains("line 1\n"));
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
