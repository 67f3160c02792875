// The pure parts of the encoder front-end: reading the window's command
// lines, the watermark hook, colour lookup and filter escaping.
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "support/TestPaths.h"
#include "tools/ColourTable.h"
#include "tools/FilterText.h"
#include "tools/ModernArguments.h"
#include "tools/WatermarkHook.h"

#include <QFile>

#include <gtest/gtest.h>

#include <array>

using namespace tools;

// Readable QString values in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

const QString App = "/opt/My Apps/trovexa";

pipeline::ConversionOptions windowDefaults()
{
    pipeline::ConversionOptions options;
    options.videoBitrate = "350";
    options.videoWindow = "320x240";
    options.sampling = "22050";
    options.audioBitrate = "64";
    options.channels = "Stereo";
    options.colorName = "white";
    options.fontFile = "truetype/dejavu/DejaVuSans.ttf";
    options.fontSize = "16";
    options.left = "10";
    options.top = "20";
    options.alpha = "200";
    options.watermarkText = "Sample";
    return options;
}

// The argument list the tool receives for the window's encode line.
QStringList encodeLine(const pipeline::ConversionOptions &options)
{
    const auto arguments = pipeline::BuildEncoderArguments(options, App, "/usr/share", u'/');
    return pipeline::encodeCommand(App, "/in/my clip.avi", arguments, "/out dir/", "clip.flv", u'/')
            .arguments.list();
}

} // namespace

TEST(ToolTranslation, WindowImageLine)
{
    const LegacyParse parsed = parseLegacyCommand(
            pipeline::imageCommand(App, "/in/clip.mpg", "160x120", "05", "/out/", u'/')
                    .arguments.list());
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    EXPECT_EQ(modernArguments(parsed.command, std::nullopt, "/out/.tmp/cover%d.jpg")
                      .join('|')
                      .toStdString(),
              "-nostdin|-y|-abort_on|empty_output|-i|/in/"
              "clip.mpg|-vf|scale=160:120,setsar=1|-frames:v|5"
              "|-c:v|mjpeg|-q:v|2|-f|image2|-an|/out/.tmp/cover%d.jpg");
}

TEST(ToolTranslation, WatermarkFilterRunsBetweenDeinterlaceAndScaling)
{
    pipeline::ConversionOptions options = windowDefaults();
    options.deInterlace = true;
    options.watermarkOn = true;
    const LegacyParse parsed = parseLegacyCommand(encodeLine(options));
    ASSERT_TRUE(parsed.error.isEmpty());
    ASSERT_TRUE(parsed.command.hook.has_value());

    const DrawText drawText {"/f/a.ttf", 16, {255, 255, 255}, 200, 10, 20, "/t/x.txt"};
    const QStringList modern = modernArguments(parsed.command, drawText);
    const qsizetype vf = modern.indexOf("-vf");
    ASSERT_GE(vf, 0);
    EXPECT_EQ(modern[vf + 1].toStdString(),
              R"(yadif,drawtext=fontfile=\'/f/a.ttf\':textfile=\'/t/x.txt\':expansion=none:)"
              R"(fontsize=16:fontcolor=0xFFFFFF@0.7843:x=10:y=20,scale=320:240,setsar=1,fps=25)");

    // H.264 draws it the same way.
    options.codecs = pipeline::FlvCodecs::H264Aac;
    const QStringList h264 = modernArguments(parseLegacyCommand(encodeLine(options)).command,
                                             drawText);
    ASSERT_TRUE(h264.contains("libx264"));
    EXPECT_EQ(h264.mid(h264.indexOf("-vf"), 2), modern.mid(vf, 2));
}

struct CodecCase
{
    QStringList line;
    const char *expected; // a run of the modern arguments, joined by '|'
    const char *absent; // an argument that must not appear, or nullptr
};

// Encode lines of the window and typed by hand. Classic: Sorenson H.263 and
// MP3. H.264 and AAC: libx264 in main profile at level 3.1 where the frame
// fits, 4:2:0, a keyframe at least every 2 s; AAC's own priming trimmed.
TEST(ToolTranslation, EncodeLines)
{
    pipeline::ConversionOptions classic = windowDefaults();
    classic.deInterlace = true;
    pipeline::ConversionOptions classicSilent = windowDefaults();
    classicSilent.audioOff = true;
    pipeline::ConversionOptions window = windowDefaults();
    window.codecs = pipeline::FlvCodecs::H264Aac;
    pipeline::ConversionOptions silent = window;
    silent.audioOff = true;
    const QStringList hand {"-i", "in.avi", "-b", "350k"};
    const CodecCase cases[] = {
            {encodeLine(classic),
             "-nostdin|-y|-abort_on|empty_output|-i|/in/my clip.avi|-vf|yadif,scale=320:240,"
             "setsar=1,fps=25|-r|25|-fps_mode|cfr|-c:v|flv1|-c:a|libmp3lame|-f|flv|-b:v|350k"
             "|-ar|22050|-af|atrim=start=0.050113379|-b:a|64k|-ac|2|/out dir/clip.flv",
             nullptr},
            {encodeLine(classicSilent), "|-c:a|libmp3lame|-f|flv|-b:v|350k|-an|/out", "-ar"},
            {encodeLine(window),
             "-vf|scale=320:240,setsar=1,fps=25|-r|25|-fps_mode|cfr|-c:v|libx264|-preset|veryfast"
             "|-profile:v|main|-level|3.1|-pix_fmt|yuv420p|-g|50|-flvflags|no_sequence_end"
             "|-c:a|aac|-f|flv|-b:v|350k|-ar|22050|-af|atrim=start=0.046439909|-b:a|64k|-ac|2"
             "|/out dir/clip.flv",
             "libmp3lame"},
            {encodeLine(silent), "|-c:a|aac|-f|flv|-b:v|350k|-an|/out", "-ar"},
            {hand + QStringList {"-r", "25", "-s", "768x576", "-vcodec", "h264", "o.flv"},
             "-level|3.1|-pix_fmt|yuv420p|-g|50|",
             nullptr},
            // 4:2:0 takes even sizes only
            {hand + QStringList {"-s", "240x135", "-vcodec", "h264", "o.flv"},
             "|-vf|scale=240:136,setsar=1|",
             nullptr},
            {hand + QStringList {"-vcodec", "h264", "o.flv"},
             "|-vf|scale=ceil(iw/2)*2:ceil(ih/2)*2|",
             "setsar=1"},
            {hand + QStringList {"-ar", "11025", "-vcodec", "h264", "-acodec", "aac", "o.flv"},
             "|-c:a|aac|-f|flv|-b:v|350k|-ar|11025|-af|atrim=start=0.092879819|",
             nullptr},
            // beyond level 3.1: x264 picks the level
            {hand + QStringList {"-r", "25", "-s", "1920x1080", "-vcodec", "h264", "o.flv"},
             "-profile:v|main|-pix_fmt|yuv420p|-g|50|",
             "-level"},
            {hand + QStringList {"-r", "60", "-s", "1280x720", "-vcodec", "h264", "o.flv"},
             "-profile:v|main|-pix_fmt|yuv420p|-g|120|",
             "-level"},
            {hand + QStringList {"-r", "30000/1001", "-s", "640x480", "-vcodec", "h264", "o.flv"},
             "-level|3.1|-pix_fmt|yuv420p|-g|59|",
             nullptr},
            // no frame rate: keyframes by the clock
            {hand + QStringList {"-vcodec", "h264", "o.flv"},
             "-profile:v|main|-pix_fmt|yuv420p|-force_key_frames|expr:gte(t,n_forced*2)|",
             "-level"},
            // H.264 with the classic sound
            {hand + QStringList {"-ar", "22050", "-vcodec", "h264", "o.flv"},
             "|-c:a|libmp3lame|-f|flv|-b:v|350k|-ar|22050|-af|atrim=start=0.050113379|",
             "aac"},
            {hand + QStringList {"-vcodec", "flv", "-acodec", "mp3", "o.flv"},
             "-c:v|flv1|-c:a|libmp3lame|-f|flv",
             "libx264"},
    };
    for (const CodecCase &c : cases) {
        const LegacyParse parsed = parseLegacyCommand(c.line);
        ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
        const QStringList modern = modernArguments(parsed.command, std::nullopt);
        const QString joined = modern.join('|');
        EXPECT_TRUE(joined.contains(c.expected)) << joined.toStdString();
        EXPECT_TRUE(joined.startsWith("-nostdin|-y|-abort_on|empty_output|-i|"));
        if (c.absent) {
            EXPECT_FALSE(modern.contains(c.absent)) << joined.toStdString();
        }
    }
}

// Bit rates as the old parser read them; "none" where it refused them.
TEST(ToolTranslation, BitRates)
{
    const std::array<const char *, 3> rates[] = {{"350kb/s", "350k", "350k"},
                                                 {"40", "40", "40k"},
                                                 {"999", "999", "999k"},
                                                 {"128000", "128000", "128000"},
                                                 {"1.5Mbit", "1.5M", "1.5M"},
                                                 {"2g", "2G", "2G"},
                                                 {"64K", "64k", "64k"},
                                                 {"kb/s", "none", "none"},
                                                 {"", "none", "none"}};
    for (const auto &[text, video, audio] : rates) {
        EXPECT_EQ(videoBitrateValue(text).value_or("none").toStdString(), video) << text;
        EXPECT_EQ(audioBitrateValue(text).value_or("none").toStdString(), audio) << text;
    }
}

TEST(ToolTranslation, HertzAndCountsReadLeadingDigits)
{
    const LegacyParse parsed = parseLegacyCommand(
            {"-i", "in.avi", "-ar", "11025Hz", "-ac", "1", "-vframes", "07", "-r", "25fps", "o.flv"});
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.command.sampleRate, "11025");
    EXPECT_EQ(parsed.command.channels, "1");
    EXPECT_EQ(parsed.command.frameCount, "7");
    EXPECT_EQ(parsed.command.frameRate, "25");
}

// Only a JPEG file name with one number field names numbered pictures; a
// "%" anywhere else is a plain character.
TEST(ToolTranslation, PicturePatterns)
{
    const struct
    {
        const char *output;
        const char *seventh; // the name of picture 7, or "" when no pattern
    } cases[] = {
            {"/out/cover%d.jpg", "cover7.jpg"},
            {"/out/Shot%03d.JPEG", "Shot007.JPEG"},
            {"/100% sure/cover%d.jpg", "cover7.jpg"},
            {"/out/50% off%d.jpg", "50% off7.jpg"},
            {"/out/50%done.flv", ""},
            {"/out/clip%d.flv", ""},
            {"/out%d/clip.jpg", ""},
            {"/out/cover%d%d.jpg", ""},
            {"/out/cover%x.jpg", ""},
            {"/out/cover%d.jpg.flv", ""},
    };
    for (const auto &c : cases) {
        const QString name = QString(c.output).section(u'/', -1);
        const bool pattern = *c.seventh != 0;
        EXPECT_EQ(isPicturePattern(c.output), pattern) << c.output;
        if (pattern) {
            EXPECT_EQ(pictureName(name, 7).toStdString(), c.seventh) << c.output;
        }
    }
}

TEST(ToolTranslation, RefusedLines)
{
    const QList<QStringList> lines {
            {"-i", "a.avi", "-vf", "scale=1:1", "o.flv"}, // unknown option
            {"-i", "a.avi", "-vcodec", "mpeg4", "o.flv"}, // unsupported codec
            {"-i", "a.avi", "-acodec", "H264", "o.flv"}, // unsupported codec
            {"-i", "a.avi", "-vcodec"}, // value missing
            {"-i", "a.avi", "-b"}, // value missing
            {"-i", "a.avi", "-ar", "Hz", "o.flv"}, // not a number
            {"-i", "a.avi", "-s", "320by240", "o.flv"}, // bad size
            {"-i", "a.avi", "-s", "0x240", "o.flv"}, // empty size
            {"-i", "a.avi", "-ac", "0", "o.flv"}, // no channels
            {"-b", "350kb/s", "o.flv"}, // no input
            {"-i", "a.avi"}, // no output
            {"-i", "a.avi", "o.flv", "p.flv"}, // two outputs
            {"-i", "a.avi", "-i", "b.avi", "o.flv"}, // two inputs
    };
    for (const QStringList &line : lines)
        EXPECT_FALSE(parseLegacyCommand(line).error.isEmpty()) << line.join(' ').toStdString();
}

TEST(ToolWatermarkHook, SplitsAtMarkersNotBlanks)
{
    const QString hook = "/opt/My -c Apps/vhook/imlib2.dll -c navy blue"
                         " -F /usr/share/fonts/my fonts -C x/DejaVu Sans.ttf/24"
                         " -C /opt/My -A Apps/vhook/rgb.txt -A 7 -x 0 -y 15"
                         " -t two  blanks -x 1 -y 2\nnext line -t again\r\n";
    const WatermarkHookParse parsed = parseWatermarkHook(hook);
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.hook.module, "/opt/My -c Apps/vhook/imlib2.dll");
    EXPECT_EQ(parsed.hook.colourName, "navy blue");
    EXPECT_EQ(parsed.hook.fontFile, "/usr/share/fonts/my fonts -C x/DejaVu Sans.ttf");
    EXPECT_EQ(parsed.hook.fontSize, 24);
    EXPECT_EQ(parsed.hook.colourTable, "/opt/My -A Apps/vhook/rgb.txt");
    EXPECT_EQ(parsed.hook.alpha, 7);
    EXPECT_EQ(parsed.hook.left, 0);
    EXPECT_EQ(parsed.hook.top, 15);
    EXPECT_EQ(parsed.hook.text, "two  blanks -x 1 -y 2\nnext line -t again\r\n");
}

TEST(ToolWatermarkHook, WindowBuiltHookIsUnderstood)
{
    pipeline::ConversionOptions options = windowDefaults();
    options.watermarkOn = true;
    options.watermarkText = "My Clip: 100% [a,b]; {x=1} \\ 'q'";
    options.alpha = "007";
    const QStringList arguments = encodeLine(options);
    const LegacyParse parsed = parseLegacyCommand(arguments);
    ASSERT_TRUE(parsed.error.isEmpty());
    const WatermarkHookParse hook = parseWatermarkHook(parsed.command.hook.value());
    ASSERT_TRUE(hook.error.isEmpty()) << hook.error.toStdString();
    EXPECT_EQ(hook.hook.module, App + "/vhook/imlib2.dll");
    EXPECT_EQ(hook.hook.fontFile, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    EXPECT_EQ(hook.hook.colourTable, App + "/vhook/rgb.txt");
    EXPECT_EQ(hook.hook.alpha, 7);
    EXPECT_EQ(hook.hook.text, options.watermarkText);
}

TEST(ToolWatermarkHook, RefusedHooks)
{
    const QString rest = " -C /v/rgb.txt -A 200 -x 1 -y 2 -t T";
    EXPECT_TRUE(parseWatermarkHook("/v/IMLIB2.DLL -c white -F /f/a.ttf/16" + rest).error.isEmpty());
    for (const QString &refused :
         QStringList {"/v/drawtext.so -c white -F /f/a.ttf/16" + rest,
                      "/v/myimlib2.dll -c white -F /f/a.ttf/16" + rest,
                      "/v/imlib2.dll -c white -F /f/a.ttf" + rest, // no size
                      "/v/imlib2.dll -c white -F /f/a.ttf/16 -C /v/rgb.txt -A 300 -x "
                      "1 -y 2 -t T", // alpha out of range
                      "/v/imlib2.dll -c white -F /f/a.ttf/16 -A 2 -x 1 -y 2 -t T", // no table
                      ""})
        EXPECT_FALSE(parseWatermarkHook(refused).error.isEmpty()) << refused.toStdString();
}

TEST(ToolColourTable, LooksUpTheShippedTableWithoutLetterCase)
{
    QFile table(applicationFolderUnderTest() + "/vhook/rgb.txt");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QByteArray content = table.readAll();
    EXPECT_EQ(lookUpColour(content, "NavyBlue"), (Rgb {0, 0, 128}));
    EXPECT_EQ(lookUpColour(content, "navy blue"), (Rgb {0, 0, 128}));
    EXPECT_EQ(lookUpColour(content, "WHITE"), (Rgb {255, 255, 255}));
    EXPECT_EQ(lookUpColour(content, "grey50"), (Rgb {127, 127, 127}));
    EXPECT_FALSE(lookUpColour(content, "notacolour").has_value());
    EXPECT_FALSE(lookUpColour("! 1 2 3 comment\n", "comment").has_value());
}
