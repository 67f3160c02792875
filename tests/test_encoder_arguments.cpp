#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pipeline;

namespace {

const QString WinShortApp = "C:\\PROGRA~1\\CONVER~1";
const QString WinFolder = "C:\\WINDOWS";

// The controls of the worked example: watermark on, audio on.
ConversionOptions exampleOptions()
{
    ConversionOptions o;
    o.videoBitrate = "350";
    o.videoWindow = "320x240";
    o.watermarkOn = true;
    o.watermarkText = "Sample";
    o.colorName = "white";
    o.fontFile = "arial.ttf";
    o.fontSize = "16";
    o.left = "10";
    o.top = "20";
    o.alpha = "200";
    o.sampling = "22050";
    o.audioBitrate = "64";
    o.channels = "Stereo";
    return o;
}

QString windowsBuild(const ConversionOptions &o)
{
    return BuildEncoderArguments(o, WinShortApp, WinFolder, u'\\').text();
}

// The watermark hook argument of a Windows build, between its quotes.
QString hookOf(const QString &arguments)
{
    const qsizetype open = arguments.indexOf(u'"');
    const qsizetype close = arguments.lastIndexOf(u'"');
    return open < 0 ? QString() : arguments.mid(open + 1, close - open - 1);
}

} // namespace

// The list the encoder is started with holds each value whole, an empty
// one too (the hook's whole text: see the translation tests).
TEST(EncoderArguments, ListKeepsEmptyValues)
{
    ConversionOptions o = exampleOptions();
    o.deInterlace = true;
    o.watermarkOn = false;
    o.audioOff = true;
    o.videoWindow = "";
    EXPECT_EQ(BuildEncoderArguments(o, WinShortApp, WinFolder, u'\\').list(),
              QStringList({"-b", "350kb/s", "-r", "25", "-s", "", "-deinterlace", "-an"}));
}

struct ControlCase
{
    const char *name;
    std::function<void(ConversionOptions &)> change; // of the example without watermark
    const char *line;
};

// The worked example and one control changed from it: what reaches the
// encoder. Controls of a part that is off are not read. H.264 only adds its
// codecs at the end, just before the output name.
TEST(EncoderArguments, Lines)
{
    const char *const plain = " -b 350kb/s -r 25 -s 320x240 -ar 22050Hz -ab 64 -ac 1 ";
    const ControlCase cases[] = {
            {"no watermark",
             [](auto &) {},
             " -b 350kb/s -r 25 -s 320x240 -ar 22050Hz -ab 64 -ac 2 "},
            {"worked example",
             [](auto &o) { o.watermarkOn = true; },
             " -b 350kb/s -r 25 -s 320x240  -vhook \"C:\\PROGRA~1\\CONVER~1\\vhook\\imlib2.dll -c "
             "white -F C:\\WINDOWS\\fonts\\arial.ttf/16 -C "
             "C:\\PROGRA~1\\CONVER~1\\vhook\\rgb.txt -A 200 -x 10 -y 20 -t Sample\" -ar 22050Hz "
             "-ab 64 -ac 2 "},
            {"deinterlaced without audio",
             [](auto &o) {
                 o.deInterlace = true;
                 o.audioOff = true;
             },
             " -b 350kb/s -r 25 -s 320x240  -deinterlace -an "},
            {"stereo", [](auto &o) { o.channels = "stereo"; }, plain},
            {"STEREO", [](auto &o) { o.channels = "STEREO"; }, plain},
            {"Mono", [](auto &o) { o.channels = "Mono"; }, plain},
            {"Stereo and blank", [](auto &o) { o.channels = "Stereo "; }, plain},
            {"no channels", [](auto &o) { o.channels = ""; }, plain},
            {"watermark controls",
             [](auto &o) {
                 o.channels = "Mono";
                 o.watermarkText = "other\" text";
                 o.colorName = "red";
                 o.alpha = "";
                 o.left = "x";
             },
             plain},
            {"audio off",
             [](auto &o) {
                 o.audioOff = true;
                 o.sampling = "44100";
             },
             " -b 350kb/s -r 25 -s 320x240 -an "},
            {"empty texts",
             [](auto &o) {
                 o.videoWindow = "";
                 o.videoBitrate = "";
             },
             " -b kb/s -r 25 -s  -ar 22050Hz -ab 64 -ac 2 "},
            {"deinterlace before watermark",
             [](auto &o) {
                 o.deInterlace = true;
                 o.watermarkOn = true;
                 o.watermarkText = "T";
             },
             " -b 350kb/s -r 25 -s 320x240  -deinterlace  -vhook \"C:\\PROGRA~1\\CONVER~1\\vhook"
             "\\imlib2.dll -c white -F C:\\WINDOWS\\fonts\\arial.ttf/16 -C C:\\PROGRA~1\\CONVER~1"
             "\\vhook\\rgb.txt -A 200 -x 10 -y 20 -t T\" -ar 22050Hz -ab 64 -ac 2 "},
    };
    for (const ControlCase &c : cases) {
        ConversionOptions o = exampleOptions();
        o.watermarkOn = false;
        c.change(o);
        EXPECT_EQ(windowsBuild(o).toStdString(), c.line) << c.name;
        o.codecs = pipeline::FlvCodecs::H264Aac;
        EXPECT_EQ(windowsBuild(o).toStdString(), std::string(c.line) + "-vcodec h264 -acodec aac ")
                << c.name;
    }
}

struct HookCase
{
    const char *alpha;
    const char *text;
    const char *font;
    const char *writtenAlpha; // a whole number; the field's start value for no number
};

// The hook argument between its quotes: texts as typed.
TEST(EncoderArguments, WatermarkHook)
{
    const HookCase cases[] = {{"007", "Sample", "arial.ttf", "7"},
                              {"0", "Sample", "arial.ttf", "0"},
                              {"000", "Sample", "arial.ttf", "0"},
                              {"255", "Sample", "arial.ttf", "255"},
                              {"", "Sample", "arial.ttf", "255"},
                              {"abc", "Sample", "arial.ttf", "255"},
                              {"200", "My Clip", "Times New Roman.ttf", "200"},
                              {"200", "  two\r\nlines  ", "arial.ttf", "200"}};
    for (const HookCase &c : cases) {
        ConversionOptions o = exampleOptions();
        o.alpha = c.alpha;
        o.watermarkText = c.text;
        o.fontFile = c.font;
        EXPECT_EQ(hookOf(windowsBuild(o)),
                  QString("C:\\PROGRA~1\\CONVER~1\\vhook\\imlib2.dll -c white -F "
                          "C:\\WINDOWS\\fonts\\%1/16 -C C:\\PROGRA~1\\CONVER~1\\vhook\\rgb.txt "
                          "-A %2 -x 10 -y 20 -t %3")
                          .arg(c.font, c.writtenAlpha, c.text));
    }
    const QString text = BuildEncoderArguments(exampleOptions(), "", WinFolder, u'\\').text();
    EXPECT_TRUE(hookOf(text).startsWith("\\vhook\\imlib2.dll -c white")) << "no short folder";
    EXPECT_TRUE(hookOf(text).contains(" -C \\vhook\\rgb.txt -A "));
}

// ---------------------------------------------------------------- stage commands

namespace {

const QString WinApp = "C:\\Program Files\\Converter";
const QString WinTemp = "C:\\Program Files\\Converter\\temp.mpg";
const QString WinFfmpeg = "C:\\Program Files\\Converter\\ffmpeg";
const QString LinuxApp = "/opt/My Apps/trovexa";

CommandArguments encoderArguments()
{
    CommandArguments arguments;
    arguments.blank().words({"-b", "350kb/s", "-s", "320x240"});
    arguments.blank().words({"-deinterlace"}).words({"-an"});
    return arguments;
}

struct CommandCase
{
    const char *name;
    StageCommand command;
    std::string text; // as the window shows it
    QString program; // as it is started, with this argument list
    QStringList arguments;
};

class StageCommandTest : public testing::TestWithParam<CommandCase>
{ };

} // namespace

TEST_P(StageCommandTest, TextAndListAgree)
{
    const CommandCase &c = GetParam();
    EXPECT_EQ(c.command.text().toStdString(), c.text);
    EXPECT_EQ(c.command.program, c.program);
    EXPECT_EQ(c.command.arguments.list(), c.arguments);
}

const CommandCase CommandCases[]
        = {{"WindowsEncodeOfNormalizedSource",
            encodeCommand(WinApp,
                          intermediateFile(WinApp, u'\\'),
                          encoderArguments(),
                          "D:\\Out\\",
                          "clip.flv",
                          u'\\'),
            "C:\\Program Files\\Converter\\ffmpeg -i \"C:\\Program Files\\Converter\\temp.mpg\" -b "
            "350kb/s -s 320x240  -deinterlace -an \"D:\\Out\\clip.flv\"",
            WinFfmpeg,
            {"-i",
             WinTemp,
             "-b",
             "350kb/s",
             "-s",
             "320x240",
             "-deinterlace",
             "-an",
             "D:\\Out\\clip.flv"}},
           {"WindowsMetadata",
            metadataCommand(WinApp, "D:\\Out\\", "clip.flv", u'\\'),
            "C:\\Program Files\\Converter\\flvmdi \"D:\\Out\\clip.flv\"",
            "C:\\Program Files\\Converter\\flvmdi",
            {"D:\\Out\\clip.flv"}},
           {"WindowsImages",
            imageCommand(WinApp, WinTemp, "320x240", "10", "D:\\Out\\", u'\\'),
            "C:\\Program Files\\Converter\\ffmpeg -i \"C:\\Program Files\\Converter\\temp.mpg\" -s "
            "320x240 -vframes 10 \"D:\\Out\\cover%d.jpg\"",
            WinFfmpeg,
            {"-i", WinTemp, "-s", "320x240", "-vframes", "10", "D:\\Out\\cover%d.jpg"}},
           {"EmptyWindowKeepsItsPlace",
            imageCommand(WinApp, "D:\\clip.avi", "", "05", "D:\\Out\\", u'\\'),
            "C:\\Program Files\\Converter\\ffmpeg -i \"D:\\clip.avi\" -s  -vframes 05 "
            "\"D:\\Out\\cover%d.jpg\"",
            WinFfmpeg,
            {"-i", "D:\\clip.avi", "-s", "", "-vframes", "05", "D:\\Out\\cover%d.jpg"}},
           {"LinuxNamesWithQuotesAndBlanks",
            encodeCommand(LinuxApp,
                          "/v/say \"hi\" a.avi",
                          CommandArguments().blank().words({"-an"}),
                          "/out \"x\"/",
                          "x\".flv",
                          u'/'),
            "/opt/My Apps/trovexa/ffmpeg -i \"/v/say \"hi\" a.avi\" -an \"/out \"x\"/x\".flv\"",
            "/opt/My Apps/trovexa/ffmpeg",
            {"-i", "/v/say \"hi\" a.avi", "-an", "/out \"x\"/x\".flv"}}};
INSTANTIATE_TEST_SUITE_P(Stages,
                         StageCommandTest,
                         testing::ValuesIn(CommandCases),
                         [](const auto &info) { return std::string(info.param.name); });

// In the application folder, unless it cannot be written (then the cache).
TEST(StageCommands, IntermediateFile)
{
    const QString cache = "/home/me/.cache/trovexa";
    EXPECT_EQ(intermediateFile(WinApp, u'\\'), WinTemp);
    EXPECT_EQ(intermediateFile(LinuxApp, true, cache, u'/'), "/opt/My Apps/trovexa/temp.mpg");
    EXPECT_EQ(intermediateFile(LinuxApp, false, cache, u'/'), "/home/me/.cache/trovexa/temp.mpg");
}
