#include "pipeline/StageCommands.h"

#include <gtest/gtest.h>

using namespace pipeline;

namespace {

const QString WinApp = "C:\\Program Files\\Converter";
const QString WinTemp = "C:\\Program Files\\Converter\\temp.mpg";
const QString LinuxApp = "/opt/My Apps/trovexa";

CommandArguments encoderArguments()
{
    CommandArguments arguments;
    arguments.blank().words({"-b", "350kb/s", "-r", "25", "-s", "320x240"});
    arguments.blank().words({"-deinterlace"}).words({"-an"});
    return arguments;
}

struct CommandCase
{
    const char *name;
    StageCommand command;
    std::string text;
    QString program;
    QStringList arguments;
};

std::ostream &operator<<(std::ostream &out, const CommandCase &c)
{
    return out << c.name;
}

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

INSTANTIATE_TEST_SUITE_P(
        Stages,
        StageCommandTest,
        testing::Values(
                CommandCase {"WindowsEncodeOfNormalizedSource",
                             encodeCommand(WinApp,
                                           intermediateFile(WinApp, u'\\'),
                                           encoderArguments(),
                                           "D:\\Out\\",
                                           "clip.flv",
                                           u'\\'),
                             "C:\\Program Files\\Converter\\ffmpeg -i \"C:\\Program "
                             "Files\\Converter\\temp.mpg\" -b 350kb/s -r 25 -s 320x240  "
                             "-deinterlace -an \"D:\\Out\\clip.flv\"",
                             "C:\\Program Files\\Converter\\ffmpeg",
                             {"-i",
                              WinTemp,
                              "-b",
                              "350kb/s",
                              "-r",
                              "25",
                              "-s",
                              "320x240",
                              "-deinterlace",
                              "-an",
                              "D:\\Out\\clip.flv"}},
                CommandCase {"WindowsMetadata",
                             metadataCommand(WinApp, "D:\\Out\\", "clip.flv", u'\\'),
                             "C:\\Program Files\\Converter\\flvmdi \"D:\\Out\\clip.flv\"",
                             "C:\\Program Files\\Converter\\flvmdi",
                             {"D:\\Out\\clip.flv"}},
                CommandCase {
                        "WindowsImages",
                        imageCommand(WinApp, WinTemp, "320x240", "10", "D:\\Out\\", u'\\'),
                        "C:\\Program Files\\Converter\\ffmpeg -i \"C:\\Program "
                        "Files\\Converter\\temp.mpg\" -s 320x240 -vframes 10 "
                        "\"D:\\Out\\cover%d.jpg\"",
                        "C:\\Program Files\\Converter\\ffmpeg",
                        {"-i", WinTemp, "-s", "320x240", "-vframes", "10", "D:\\Out\\cover%d.jpg"}},
                CommandCase {"EmptyWindowKeepsItsPlace",
                             imageCommand(
                                     WinApp, "D:\\Video\\clip.avi", "", "05", "D:\\Out\\", u'\\'),
                             "C:\\Program Files\\Converter\\ffmpeg -i \"D:\\Video\\clip.avi\" -s  "
                             "-vframes 05 \"D:\\Out\\cover%d.jpg\"",
                             "C:\\Program Files\\Converter\\ffmpeg",
                             {"-i",
                              "D:\\Video\\clip.avi",
                              "-s",
                              "",
                              "-vframes",
                              "05",
                              "D:\\Out\\cover%d.jpg"}},
                CommandCase {"LinuxNamesWithQuotesAndBlanks",
                             encodeCommand(LinuxApp,
                                           "/v/say \"hi\" a.avi",
                                           CommandArguments().blank().words({"-an"}),
                                           "/out \"x\"/",
                                           "x\".flv",
                                           u'/'),
                             "/opt/My Apps/trovexa/ffmpeg -i \"/v/say \"hi\" a.avi\" -an "
                             "\"/out \"x\"/x\".flv\"",
                             "/opt/My Apps/trovexa/ffmpeg",
                             {"-i", "/v/say \"hi\" a.avi", "-an", "/out \"x\"/x\".flv"}},
                CommandCase {"LinuxMetadata",
                             metadataCommand(LinuxApp, "/out/", "x.flv", u'/'),
                             "/opt/My Apps/trovexa/flvmdi \"/out/x.flv\"",
                             "/opt/My Apps/trovexa/flvmdi",
                             {"/out/x.flv"}}),
        [](const testing::TestParamInfo<CommandCase> &info) { return info.param.name; });

TEST(StageCommands, IntermediateFileInTheApplicationFolder)
{
    EXPECT_EQ(intermediateFile(WinApp, u'\\'), WinTemp);
    EXPECT_EQ(intermediateFile(LinuxApp, u'/'), "/opt/My Apps/trovexa/temp.mpg");
    EXPECT_EQ(intermediateFile(LinuxApp, true, "/home/me/.cache/trovexa", u'/'),
              "/opt/My Apps/trovexa/temp.mpg");
    EXPECT_EQ(intermediateFile(LinuxApp, false, "/home/me/.cache/trovexa", u'/'),
              "/home/me/.cache/trovexa/temp.mpg");
}
