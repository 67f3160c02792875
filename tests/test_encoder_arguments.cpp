#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

using namespace pipeline;

namespace {

const QString WinApp = "C:\\Program Files\\Converter";
const QString Hook = "C:\\PROGRA~1\\CONVER~1\\vhook\\imlib2.dll -c white -F "
                     "C:\\WINDOWS\\fonts\\%1/16 -C C:\\PROGRA~1\\CONVER~1\\vhook\\rgb.txt -A %2 "
                     "-x 10 -y 20 -t %3";

// The controls of the worked example, its watermark off.
ConversionOptions exampleOptions()
{
    return {.videoBitrate = "350",
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
}

CommandArguments windowsBuild(const ConversionOptions &o)
{
    return BuildEncoderArguments(o, "C:\\PROGRA~1\\CONVER~1", "C:\\WINDOWS", u'\\');
}

} // namespace

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
        ConversionOptions o = exampleOptions();
        change(o);
        EXPECT_EQ(windowsBuild(o).text(), line);
        o.codecs = FlvCodecs::H264Aac;
        EXPECT_EQ(windowsBuild(o).text(), line + "-vcodec h264 -acodec aac ");
    }
}

// The list the encoder is started with holds each value whole, an empty one
// too; the hook's transparency is a whole number or the field's start value.
TEST(EncoderArguments, ListAndWatermarkHook)
{
    ConversionOptions o = exampleOptions();
    o.deInterlace = o.audioOff = true;
    o.videoWindow = "";
    EXPECT_EQ(windowsBuild(o).list(),
              QStringList({"-b", "350kb/s", "-r", "25", "-s", "", "-deinterlace", "-an"}));
    const std::array<QString, 4> cases[] = {{"007", "Sample", "arial.ttf", "7"},
                                            {"", "My Clip", "Times New Roman.ttf", "255"},
                                            {"abc", "  two\r\nlines  ", "arial.ttf", "255"},
                                            {" 32767", "Sample", "arial.ttf", "32767"},
                                            {"32768", "Sample", "arial.ttf", "255"},
                                            {"-32768", "Sample", "arial.ttf", "-32768"},
                                            {"-32769", "Sample", "arial.ttf", "255"}};
    for (const auto &[alpha, text, font, written] : cases) {
        o = exampleOptions();
        o.watermarkOn = true;
        o.alpha = alpha;
        o.watermarkText = text;
        o.fontFile = font;
        EXPECT_EQ(windowsBuild(o).list().value(7), Hook.arg(font, written, text));
    }
}

struct CommandCase
{
    StageCommand command;
    QString text; // as the window shows it
    QString started; // the program and its arguments, as started, between "|"
};

// Each stage's command, byte for byte as shown, and as started.
TEST(StageCommands, TextAndList)
{
    const QString temp = WinApp + "\\temp.mpg";
    const QString ffmpeg = WinApp + "\\ffmpeg";
    CommandArguments encoder;
    encoder.blank().words({"-b", "350kb/s", "-s", "320x240"}).blank().words({"-deinterlace", "-an"});
    const CommandCase cases[]
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
               {encodeCommand("/opt/My Apps",
                              "/v/say \"hi\" a.avi",
                              CommandArguments().blank().words({"-an"}),
                              "/out \"x\"/",
                              "x\".flv",
                              u'/'),
                "/opt/My Apps/ffmpeg -i \"/v/say \"hi\" a.avi\" -an \"/out \"x\"/x\".flv\"",
                "/opt/My Apps/ffmpeg|-i|/v/say \"hi\" a.avi|-an|/out \"x\"/x\".flv"}};
    for (const CommandCase &c : cases) {
        EXPECT_EQ(c.command.text(), c.text);
        EXPECT_EQ(QStringList(c.command.program) + c.command.arguments.list(),
                  c.started.split(u'|'));
    }
    // In the application folder, unless it cannot be written (then the cache).
    EXPECT_EQ(intermediateFile(WinApp, u'\\'), temp);
    EXPECT_EQ(intermediateFile("/opt/t", true, "/home/me/.cache/t", u'/'), "/opt/t/temp.mpg");
    EXPECT_EQ(intermediateFile("/opt/t", false, "/home/me/.cache/t", u'/'),
              "/home/me/.cache/t/temp.mpg");
}
