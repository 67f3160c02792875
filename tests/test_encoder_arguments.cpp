#include "pipeline/EncoderArguments.h"

#include <gtest/gtest.h>

using pipeline::BuildEncoderArguments;
using pipeline::ConversionOptions;

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

struct LineCase
{
    bool watermark;
    bool deInterlace;
    bool audioOff;
    const char *classic;
};

// The worked example and its variants, with both codecs. The classic lines
// are the ones the window has always built; H.264 only adds its codecs at
// the end, just before the output name.
TEST(EncoderArguments, Lines)
{
    const LineCase cases[] = {
            {true,
             false,
             false,
             " -b 350kb/s -r 25 -s 320x240  -vhook \"C:\\PROGRA~1\\CONVER~1\\vhook\\imlib2.dll -c "
             "white -F C:\\WINDOWS\\fonts\\arial.ttf/16 -C "
             "C:\\PROGRA~1\\CONVER~1\\vhook\\rgb.txt -A 200 -x 10 -y 20 -t Sample\" -ar 22050Hz "
             "-ab 64 -ac 2 "},
            {false, true, true, " -b 350kb/s -r 25 -s 320x240  -deinterlace -an "},
            {false, false, false, " -b 350kb/s -r 25 -s 320x240 -ar 22050Hz -ab 64 -ac 2 "},
    };
    for (const LineCase &c : cases) {
        ConversionOptions o = exampleOptions();
        o.watermarkOn = c.watermark;
        o.deInterlace = c.deInterlace;
        o.audioOff = c.audioOff;
        EXPECT_EQ(windowsBuild(o).toStdString(), c.classic);
        o.codecs = pipeline::FlvCodecs::H264Aac;
        EXPECT_EQ(windowsBuild(o).toStdString(),
                  std::string(c.classic) + "-vcodec h264 -acodec aac ");
    }
}

TEST(EncoderArguments, LinuxFormUsesSlashes)
{
    const QString text = BuildEncoderArguments(exampleOptions(),
                                               "/home/me/My Apps/trovexa",
                                               "/usr/share",
                                               u'/')
                                 .text();
    EXPECT_EQ(text.toStdString(),
              " -b 350kb/s -r 25 -s 320x240  -vhook \"/home/me/My Apps/trovexa/vhook/imlib2.dll -c "
              "white -F /usr/share/fonts/arial.ttf/16 -C /home/me/My Apps/trovexa/vhook/rgb.txt "
              "-A 200 -x 10 -y 20 -t Sample\" -ar 22050Hz -ab 64 -ac 2 ");
}

// The list the encoder is started with holds each value whole: the hook is
// one argument, quotes, blanks and line breaks of the text included.
TEST(EncoderArguments, ListHoldsEachValueWhole)
{
    ConversionOptions o = exampleOptions();
    o.watermarkText = "say \"hi\"\r\n  again";
    o.deInterlace = true;
    const QStringList list = BuildEncoderArguments(o, WinShortApp, WinFolder, u'\\').list();
    EXPECT_EQ(list,
              QStringList({"-b",
                           "350kb/s",
                           "-r",
                           "25",
                           "-s",
                           "320x240",
                           "-deinterlace",
                           "-vhook",
                           hookOf(windowsBuild(o)),
                           "-ar",
                           "22050Hz",
                           "-ab",
                           "64",
                           "-ac",
                           "2"}));
    EXPECT_TRUE(list[8].endsWith(" -t say \"hi\"\r\n  again"));

    o.watermarkOn = false;
    o.audioOff = true;
    o.videoWindow = "";
    EXPECT_EQ(BuildEncoderArguments(o, WinShortApp, WinFolder, u'\\').list(),
              QStringList({"-b", "350kb/s", "-r", "25", "-s", "", "-deinterlace", "-an"}));
}

TEST(EncoderArguments, WatermarkOffIgnoresEveryWatermarkControl)
{
    ConversionOptions o = exampleOptions();
    o.watermarkOn = false;
    const QString plain = windowsBuild(o);
    EXPECT_EQ(plain.toStdString(), " -b 350kb/s -r 25 -s 320x240 -ar 22050Hz -ab 64 -ac 2 ");

    o.watermarkText = "other\" text";
    o.colorName = "red";
    o.alpha = "";
    o.left = "x";
    EXPECT_EQ(windowsBuild(o), plain);
}

TEST(EncoderArguments, AudioOffReadsNoAudioControl)
{
    ConversionOptions o = exampleOptions();
    o.watermarkOn = false;
    o.audioOff = true;
    const QString text = windowsBuild(o);
    EXPECT_EQ(text.toStdString(), " -b 350kb/s -r 25 -s 320x240 -an ");
    o.sampling = "44100";
    o.channels = "Mono";
    EXPECT_EQ(windowsBuild(o), text);
}

TEST(EncoderArguments, OnlyExactlyStereoGivesTwoChannels)
{
    ConversionOptions o = exampleOptions();
    o.watermarkOn = false;
    const std::pair<const char *, const char *> cases[] = {{"Stereo", "-ac 2 "},
                                                           {"stereo", "-ac 1 "},
                                                           {"STEREO", "-ac 1 "},
                                                           {"Mono", "-ac 1 "},
                                                           {"Stereo ", "-ac 1 "},
                                                           {"", "-ac 1 "}};
    for (const auto &[channels, expected] : cases) {
        o.channels = channels;
        const QString text = windowsBuild(o);
        EXPECT_TRUE(text.endsWith(QString(" -ab 64 ") + expected))
                << channels << " gave " << text.toStdString();
    }
}

TEST(EncoderArguments, AlphaIsWrittenAsWholeNumber)
{
    ConversionOptions o = exampleOptions();
    const std::pair<const char *, const char *> cases[] = {{"007", " -A 7 "},
                                                           {"0", " -A 0 "},
                                                           {"255", " -A 255 "},
                                                           {"000", " -A 0 "},
                                                           // not a number: the field's start value
                                                           {"", " -A 255 "},
                                                           {"abc", " -A 255 "}};
    for (const auto &[alpha, expected] : cases) {
        o.alpha = alpha;
        EXPECT_TRUE(hookOf(windowsBuild(o)).contains(expected))
                << '"' << alpha << "\" gave " << windowsBuild(o).toStdString();
    }
}

TEST(EncoderArguments, DeinterlaceBeforeWatermarkKeepsBothBlanks)
{
    ConversionOptions o = exampleOptions();
    o.deInterlace = true;
    const QString text = windowsBuild(o);
    EXPECT_TRUE(text.startsWith(" -b 350kb/s -r 25 -s 320x240  -deinterlace  -vhook \""))
            << text.toStdString();
}

TEST(EncoderArguments, TextsAreInsertedAsTyped)
{
    ConversionOptions o = exampleOptions();
    o.watermarkText = "My Clip";
    o.fontFile = "Times New Roman.ttf";
    EXPECT_EQ(
            hookOf(windowsBuild(o)).toStdString(),
            "C:\\PROGRA~1\\CONVER~1\\vhook\\imlib2.dll -c white -F "
            "C:\\WINDOWS\\fonts\\Times New Roman.ttf/16 -C C:\\PROGRA~1\\CONVER~1\\vhook\\rgb.txt "
            "-A 200 -x 10 -y 20 -t My Clip");

    o.watermarkText = "  two\r\nlines  ";
    EXPECT_TRUE(hookOf(windowsBuild(o)).endsWith(" -t   two\r\nlines  "));
}

TEST(EncoderArguments, EmptyTextsStayEmpty)
{
    ConversionOptions o = exampleOptions();
    o.watermarkOn = false;
    o.videoWindow = "";
    o.videoBitrate = "";
    EXPECT_EQ(windowsBuild(o).toStdString(), " -b kb/s -r 25 -s  -ar 22050Hz -ab 64 -ac 2 ");
}

TEST(EncoderArguments, EmptyShortFolderStartsHookPathsAtSeparator)
{
    const QString text = BuildEncoderArguments(exampleOptions(), "", WinFolder, u'\\').text();
    EXPECT_TRUE(hookOf(text).startsWith("\\vhook\\imlib2.dll -c white"));
    EXPECT_TRUE(hookOf(text).contains(" -C \\vhook\\rgb.txt -A "));
}

TEST(EncoderArguments, ChangingOneControlChangesOnlyItsPiece)
{
    const ConversionOptions before = exampleOptions();
    ConversionOptions after = before;
    after.top = "150";
    const QString a = windowsBuild(before);
    EXPECT_EQ(windowsBuild(before), a);
    QString b = windowsBuild(after);
    EXPECT_EQ(b.replace(" -y 150 ", " -y 20 "), a);
}
