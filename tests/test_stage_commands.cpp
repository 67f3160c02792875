#include "pipeline/StageCommands.h"

#include <gtest/gtest.h>

using namespace pipeline;

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
            {"-i", "/v/say \"hi\" a.avi", "-an", "/out \"x\"/x\".flv"}},
           {"LinuxMetadata",
            metadataCommand(LinuxApp, "/out/", "x.flv", u'/'),
            "/opt/My Apps/trovexa/flvmdi \"/out/x.flv\"",
            "/opt/My Apps/trovexa/flvmdi",
            {"/out/x.flv"}}};
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
