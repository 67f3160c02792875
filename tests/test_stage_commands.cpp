#include "pipeline/StageCommands.h"

#include <gtest/gtest.h>

using namespace pipeline;

namespace {
const QString WinApp = "C:\\Program Files\\Converter";
const QString Arguments = " -b 350kb/s -r 25 -s 320x240  -deinterlace -an ";
} // namespace

TEST(StageCommands, WindowsExampleWithNormalizedSource)
{
    const QString input = intermediateFile(WinApp, u'\\');
    EXPECT_EQ(input.toStdString(), "C:\\Program Files\\Converter\\temp.mpg");

    EXPECT_EQ(encodeCommandLine(WinApp, input, Arguments, "D:\\Out\\", "clip.flv", u'\\')
                      .toStdString(),
              "C:\\Program Files\\Converter\\ffmpeg -i \"C:\\Program Files\\Converter\\temp.mpg\" "
              "-b 350kb/s -r 25 -s 320x240  -deinterlace -an \"D:\\Out\\clip.flv\"");
    EXPECT_EQ(metadataCommandLine(WinApp, "D:\\Out\\", "clip.flv", u'\\').toStdString(),
              "C:\\Program Files\\Converter\\flvmdi \"D:\\Out\\clip.flv\"");
    EXPECT_EQ(imageCommandLine(WinApp, input, "320x240", "10", "D:\\Out\\", u'\\').toStdString(),
              "C:\\Program Files\\Converter\\ffmpeg -i \"C:\\Program Files\\Converter\\temp.mpg\" "
              "-s 320x240 -vframes 10 \"D:\\Out\\cover%d.jpg\"");
}

TEST(StageCommands, DirectSourceIsNamedInQuotes)
{
    const QString source = "D:\\Video\\clip.avi";
    EXPECT_EQ(encodeCommandLine(WinApp, source, Arguments, "D:\\Out\\", "clip.flv", u'\\')
                      .toStdString(),
              "C:\\Program Files\\Converter\\ffmpeg -i \"D:\\Video\\clip.avi\" -b 350kb/s -r 25 -s "
              "320x240  -deinterlace -an \"D:\\Out\\clip.flv\"");
    EXPECT_EQ(imageCommandLine(WinApp, source, "", "05", "D:\\Out\\", u'\\').toStdString(),
              "C:\\Program Files\\Converter\\ffmpeg -i \"D:\\Video\\clip.avi\" -s  -vframes 05 "
              "\"D:\\Out\\cover%d.jpg\"");
}

TEST(StageCommands, LinuxForm)
{
    const QString app = "/opt/My Apps/trovexa";
    EXPECT_EQ(intermediateFile(app, u'/').toStdString(), "/opt/My Apps/trovexa/temp.mpg");
    EXPECT_EQ(intermediateFile(app, true, "/home/me/.cache/trovexa", u'/').toStdString(),
              "/opt/My Apps/trovexa/temp.mpg");
    EXPECT_EQ(intermediateFile(app, false, "/home/me/.cache/trovexa", u'/').toStdString(),
              "/home/me/.cache/trovexa/temp.mpg");
    EXPECT_EQ(encodeCommandLine(app, "/v/a b.avi", Arguments, "/out/", "x.flv", u'/').toStdString(),
              "/opt/My Apps/trovexa/ffmpeg -i \"/v/a b.avi\" -b 350kb/s -r 25 -s 320x240  "
              "-deinterlace -an \"/out/x.flv\"");
    EXPECT_EQ(metadataCommandLine(app, "/out/", "x.flv", u'/').toStdString(),
              "/opt/My Apps/trovexa/flvmdi \"/out/x.flv\"");
}
