#include "media/FrameSize.h"
#include "media/ProgressReader.h"
#include "pipeline/EncodeRequest.h"
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "pipeline/TimeRemaining.h"

#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace pipeline;

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

CommandArguments windowsBuild(const ConversionOptions &o)
{
    return BuildEncoderArguments(o, "C:\\PROGRA~1\\CONVER~1", "C:\\WINDOWS", u'\\');
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
        for (QString piece : a)
            for (const double position :
                 reader.feed(piece.replace("\\n", "\n").replace("\\r", "\r").toUtf8()))
                positions << QString::number(position);
        return positions.join(' ');
    }
    return "(no such function)";
}

} // namespace

// Each row of data/pipeline_rows.txt: a function, its arguments split at "|"
// and its result, between tabs.
TEST(PipelineRows, EachGivesItsResult)
{
    QFile file(PIPELINE_ROWS);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    int rows = 0;
    for (int line = 1; !file.atEnd(); ++line) {
        const QStringList row = QString::fromUtf8(file.readLine(4096)).remove('\n').split('\t');
        if (row[0].isEmpty() || row[0].startsWith('#'))
            continue;
        ASSERT_EQ(row.size(), 3) << "line " << line;
        EXPECT_EQ(result(row[0], row[1].split('|')).toStdString(), row[2].toStdString())
                << "line " << line;
        ++rows;
    }
    EXPECT_GE(rows, 70);
}

// The worked example and controls changed from it: what reaches the encoder,
// as the window shows it. Controls of a part that is off are not read; H.264
// adds its codecs just before the output name.
TEST(EncoderArguments, Lines)
{
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

TEST(EncodeRequest, OutputCannotBeTheSourceByAnySpelling)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString source = dir.filePath("clip.flv");
    ASSERT_TRUE(QFile(source).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(source, dir.filePath("link.flv")));
    for (const auto &[output, same] : {std::pair {"//clip.flv", true},
                                       {"/sub/../clip.flv", true},
                                       {"/link.flv", true},
                                       {"/other.flv", false}}) {
        const QString folder = dir.path() + QString(output).section('/', 0, -2) + '/';
        const auto problem
                = checkRequest({source, folder, QString(output).section('/', -1), false, ""},
                               platform::sameFile);
        EXPECT_EQ(problem.value_or(RequestProblem {}).message,
                  same ? "OUTPUT FILE CANNOT BE THE SOURCE FILE!" : "")
                << output;
    }
}
