// The pure parts of the front-ends: old command lines as the system ffmpeg
// gets them, watermark hooks, colours, and the size an FLV states.
#include "app/OptionLists.h"
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "support/TestMedia.h"
#include "tools/ColourTable.h"
#include "tools/FlvFile.h"
#include "tools/ModernArguments.h"

#include <QTemporaryFile>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace tools;

namespace {

const QString App = "/opt/My Apps/trovexa";
const QString WatermarkText = "My Clip: 100% [a,b]; {x=1} \\ 'q'";

QString initial(const FixedOptionList &list)
{
    return list.entries.value(list.defaultPosition);
}

// The window's encode line with its choices as it starts; marked adds
// de-interlacing and a watermark.
QStringList window(pipeline::FlvCodecs codecs, bool marked = false, bool silent = false)
{
    const pipeline::ConversionOptions o {.videoBitrate = initial(OptionLists::videoBitrate()),
                                         .videoWindow = initial(OptionLists::videoWindow()),
                                         .deInterlace = marked,
                                         .watermarkOn = marked,
                                         .watermarkText = WatermarkText,
                                         .colorName = "white",
                                         .fontFile = "truetype/dejavu/DejaVuSans.ttf",
                                         .fontSize = "16",
                                         .left = "10",
                                         .top = "20",
                                         .alpha = "007",
                                         .audioOff = silent,
                                         .sampling = initial(OptionLists::audioSampling()),
                                         .audioBitrate = initial(OptionLists::audioBitrate()),
                                         .channels = initial(OptionLists::audioChannels()),
                                         .codecs = codecs};
    const auto arguments = pipeline::BuildEncoderArguments(o, App, "/usr/share", u'/');
    return pipeline::encodeCommand(App, "/in/my clip.avi", arguments, "/out dir/", "clip.flv", u'/')
            .arguments.list();
}

// A line typed by hand.
QStringList typed(const QString &middle)
{
    return ("-i in.avi -b 350k " + middle + " o.flv").split(' ');
}

} // namespace

// Each line as the system ffmpeg gets it: the whole list, or a run of it that
// must appear; H.264 at level 3.1 where the frame fits, a keyframe every 2 s.
TEST(ToolTranslation, Lines)
{
    using enum pipeline::FlvCodecs;
    const QString drawText = R"(-vf|yadif,drawtext=fontfile=\'/f/a.ttf\':textfile=\'/t/x.txt\':)"
                             R"(expansion=none:fontsize=16:fontcolor=0xFFFFFF@0.7843:x=10:y=20,)"
                             "scale=400:300,setsar=1,fps=25|";
    const struct
    {
        QStringList line;
        QString expected;
        const char *absent = nullptr; // an argument that must not appear
    } cases[] = {
            {window(SorensonMp3),
             "-nostdin|-y|-abort_on|empty_output|-i|/in/my clip.avi|-vf|scale=400:300,setsar=1,"
             "fps=25|-r|25|-fps_mode|cfr|-c:v|flv1|-c:a|libmp3lame|-f|flv|-b:v|225k|-ar|22050"
             "|-af|atrim=start=0.050113379|-b:a|48k|-ac|1|/out dir/clip.flv"},
            {window(SorensonMp3, true), drawText},
            {window(SorensonMp3, false, true), "|-c:a|libmp3lame|-f|flv|-b:v|225k|-an|/out", "-ar"},
            {window(H264Aac),
             "-nostdin|-y|-abort_on|empty_output|-i|/in/my clip.avi|-vf|scale=400:300,setsar=1,"
             "fps=25|-r|25|-fps_mode|cfr|-c:v|libx264|-preset|veryfast|-profile:v|main|-level|3.1"
             "|-pix_fmt|yuv420p|-g|50|-flvflags|no_sequence_end|-c:a|aac|-f|flv|-b:v|225k|-ar"
             "|22050|-af|atrim=start=0.046439909|-b:a|48k|-ac|1|/out dir/clip.flv"},
            {window(H264Aac, true), drawText},
            {pipeline::imageCommand(App, "/in/clip.mpg", "160x120", "05", "/out/", u'/')
                     .arguments.list(),
             "-nostdin|-y|-abort_on|empty_output|-i|/in/clip.mpg|-vf|scale=160:120,setsar=1"
             "|-frames:v|5|-c:v|mjpeg|-q:v|2|-f|image2|-an|/out/cover%d.jpg"},
            // numbers as the old parsers read them; relative names
            {QString("-i in.avi -ar 11025Hz -ac 8 -vframes 07 -r 25fps o.flv").split(' '),
             "-nostdin|-y|-abort_on|empty_output|-i|file:in.avi|-vf|fps=25|-r|25|-fps_mode|cfr"
             "|-frames:v|7|-c:v|flv1|-c:a|libmp3lame|-f|flv|-ar|11025|-af|atrim=start=0.100226757"
             "|-ac|8|file:o.flv"},
            {typed("-r 25 -s 768x576 -vcodec h264"), "-level|3.1|-pix_fmt|yuv420p|-g|50|"},
            {typed("-vcodec h264"), "|-vf|scale=ceil(iw/2)*2:ceil(ih/2)*2|", "setsar=1"},
            {typed("-ar 11025 -vcodec h264 -acodec aac"),
             "|-c:a|aac|-f|flv|-b:v|350k|-ar|11025|-af|atrim=start=0.092879819|"},
            // beyond level 3.1: x264 picks the level
            {typed("-r 25 -s 1920x1080 -vcodec h264"), "main|-pix_fmt|yuv420p|-g|50|", "-level"},
            {typed("-r 60 -s 1280x720 -vcodec h264"), "main|-pix_fmt|yuv420p|-g|120|", "-level"},
            {typed("-r 30000/1001 -s 640x480 -vcodec h264"), "-level|3.1|-pix_fmt|yuv420p|-g|59|"},
            // no frame rate: keyframes by the clock
            {typed("-vcodec h264"), "yuv420p|-force_key_frames|expr:gte(t,n_forced*2)|", "-level"},
            // H.264 with the classic sound
            {typed("-ar 22050 -vcodec h264"),
             "|-c:a|libmp3lame|-f|flv|-b:v|350k|-ar|22050|-af|atrim=start=0.050113379|",
             "aac"},
            {typed("-vcodec flv -acodec mp3"), "-c:v|flv1|-c:a|libmp3lame|-f|flv", "libx264"},
    };
    const DrawText drawn {"/f/a.ttf", 16, {255, 255, 255}, 200, 10, 20, "/t/x.txt"};
    for (const auto &c : cases) {
        const LegacyParse parsed = parseLegacyCommand(c.line);
        ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
        const LegacyCommand &command = parsed.command;
        const QStringList modern = modernArguments(command,
                                                   command.hook ? drawn : std::optional<DrawText>());
        const QString joined = modern.join('|');
        if (c.expected.startsWith("-nostdin|")) {
            EXPECT_EQ(joined.toStdString(), c.expected.toStdString());
        } else {
            EXPECT_TRUE(joined.contains(c.expected)) << joined.toStdString();
            EXPECT_TRUE(joined.startsWith("-nostdin|-y|-abort_on|empty_output|-i|"));
        }
        if (c.absent) {
            EXPECT_FALSE(modern.contains(c.absent)) << joined.toStdString();
        }
    }
    // Unknown options and codecs, numbers and sizes that are none, channels
    // beyond what the encoders take, two inputs or outputs, none, no value.
    const QString refused = "-vf scale=1:1,-vcodec mpeg4,-acodec H264,-ar Hz,-s 320by240,-s 0x240,"
                            "-ac 0,-ac 9,-i b.avi,p.flv";
    QList<QStringList> lines {{"-b", "350kb/s", "o.flv"},
                              {"-i", "a.avi"},
                              {"-i", "a.avi", "-vcodec"}};
    for (const QString &middle : refused.split(','))
        lines << typed(middle);
    for (const QStringList &line : lines)
        EXPECT_FALSE(parseLegacyCommand(line).error.isEmpty()) << line.join(' ').toStdString();
}

TEST(ToolTranslation, BitRates)
{
    // clang-format off
    const std::array<const char *, 3> rates[] = {
        {"350kb/s", "350k", "350k"}, {"40", "40", "40k"}, {"999", "999", "999k"},
        {"128000", "128000", "128000"}, {"1.5Mbit", "1.5M", "1.5M"}, {"2g", "2G", "2G"},
        {"64K", "64k", "64k"}, {"kb/s", "none", "none"}, {"", "none", "none"}};
    // clang-format on
    for (const auto &[text, video, audio] : rates) {
        EXPECT_EQ(videoBitrateValue(text).value_or("none").toStdString(), video) << text;
        EXPECT_EQ(audioBitrateValue(text).value_or("none").toStdString(), audio) << text;
    }
}

// Only a JPEG name with one number field names pictures; "%" is else plain.
TEST(ToolTranslation, PicturePatterns)
{
    // the name of picture 7, or "" when the output is no pattern
    // clang-format off
    const std::pair<const char *, const char *> cases[] = {
        {"/out/cover%d.jpg", "cover7.jpg"}, {"/out/Shot%03d.JPEG", "Shot007.JPEG"},
        {"/100% sure/cover%d.jpg", "cover7.jpg"}, {"/out/50% off%d.jpg", "50% off7.jpg"},
        {"/out/50%done.flv", ""}, {"/out/clip%d.flv", ""}, {"/out%d/clip.jpg", ""},
        {"/out/cover%d%d.jpg", ""}, {"/out/cover%x.jpg", ""}, {"/out/cover%d.jpg.flv", ""}};
    // clang-format on
    for (const auto &[output, seventh] : cases) {
        EXPECT_EQ(isPicturePattern(output), *seventh != 0) << output;
        if (*seventh)
            EXPECT_EQ(pictureName(QString(output).section(u'/', -1), 7).toStdString(), seventh);
    }
}

TEST(ToolWatermarkHook, SplitsAtMarkersNotBlanks)
{
    const WatermarkHookParse parsed = parseWatermarkHook(
            "/opt/My -c Apps/vhook/imlib2.dll -c navy blue -F /usr/share/fonts/my fonts -C x/"
            "DejaVu Sans.ttf/24 -C /opt/My -A Apps/vhook/rgb.txt -A 7 -x 0 -y 15 -t two  blanks"
            " -x 1 -y 2\nnext line -t again\r\n");
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    const WatermarkHook &h = parsed.hook;
    EXPECT_EQ(
            QStringList({h.module, h.colourName, h.fontFile, h.colourTable, h.text}).join('|'),
            "/opt/My -c Apps/vhook/imlib2.dll|navy blue|/usr/share/fonts/my fonts -C x/DejaVu "
            "Sans.ttf|/opt/My -A Apps/vhook/rgb.txt|two  blanks -x 1 -y 2\nnext line -t again\r\n");
    EXPECT_EQ(std::tuple(h.fontSize, h.alpha, h.left, h.top), std::tuple(24, 7, 0, 15));

    // The window's own hook, with characters a filter takes specially.
    const WatermarkHookParse built = parseWatermarkHook(
            parseLegacyCommand(window(pipeline::FlvCodecs::SorensonMp3, true))
                    .command.hook.value_or(""));
    ASSERT_TRUE(built.error.isEmpty()) << built.error.toStdString();
    const WatermarkHook &w = built.hook;
    EXPECT_EQ(QStringList({w.module, w.fontFile, w.colourTable, w.text}).join('|'),
              App + "/vhook/imlib2.dll|/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf|" + App
                      + "/vhook/rgb.txt|" + WatermarkText);
    EXPECT_EQ(w.alpha, 7);
}

TEST(ToolWatermarkHook, RefusedHooks)
{
    const QString rest = " -C /v/rgb.txt -A 200 -x 1 -y 2 -t T";
    EXPECT_TRUE(parseWatermarkHook("/v/IMLIB2.DLL -c white -F /f/a.ttf/16" + rest).error.isEmpty());
    for (const QString &refused :
         QStringList {"/v/myimlib2.dll -c white -F /f/a.ttf/16" + rest,
                      "/v/imlib2.dll -c white -F /f/a.ttf" + rest, // no size
                      "/v/imlib2.dll -c white -F /f/a.ttf/16 -C /v/rgb.txt -A 300 -x "
                      "1 -y 2 -t T", // alpha out of range
                      "/v/imlib2.dll -c white -F /f/a.ttf/16 -A 2 -x 1 -y 2 -t T", // no table
                      ""})
        EXPECT_FALSE(parseWatermarkHook(refused).error.isEmpty()) << refused.toStdString();
}

TEST(ToolColourTable, LooksUpTheShippedTableWithoutLetterCase)
{
    QFile file(applicationFolderUnderTest() + "/vhook/rgb.txt");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray table = file.readAll();
    EXPECT_EQ(lookUpColour(table, "NavyBlue"), (Rgb {0, 0, 128}));
    EXPECT_EQ(lookUpColour(table, "navy blue"), (Rgb {0, 0, 128}));
    EXPECT_EQ(lookUpColour(table, "WHITE"), (Rgb {255, 255, 255}));
    EXPECT_EQ(lookUpColour(table, "grey50"), (Rgb {127, 127, 127}));
    EXPECT_FALSE(lookUpColour(table, "notacolour").has_value());
    EXPECT_FALSE(lookUpColour("! 1 2 3 comment\n", "comment").has_value());
}

// The size an FLV's first tag states, read from that tag alone.
TEST(ToolFlvFile, DeclaredFileSize)
{
    const auto number = [](double value) {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        QByteArray bytes(8, Qt::Uninitialized);
        qToBigEndian(bits, bytes.data());
        return bytes;
    };
    const QByteArray meta = QByteArray("\x02\x00\x0aonMetaData\x08\0\0\0\x01\0\x08", 20)
            + "filesize" + QByteArray(1, '\0');
    const QByteArray end("\0\0\x09", 3);
    const auto flv = [](char type, qsizetype dataSize, const QByteArray &data) {
        QByteArray bytes("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13);
        bytes += type;
        bytes += QByteArray::fromHex(QByteArray::number(0x1000000 + dataSize, 16).mid(1));
        return bytes + QByteArray(7, '\0') + data;
    };
    const qsizetype whole = meta.size() + 8;
    const std::pair<QByteArray, qint64> cases[] = {
            {flv(18, whole + 3, meta + number(1234) + end), 1234},
            {flv(18, whole, meta + number(1234)), 1234}, // the value ends the file
            {flv(18, whole - 1, meta + number(1234) + end), -1}, // the value ends past the tag
            {flv(9, whole + 3, meta + number(1234) + end), -1}, // the first tag is a picture
            {flv(18, whole + 3, meta + number(-5) + end), -1},
            {"FLX" + flv(18, whole + 3, meta + number(1234) + end).mid(3), -1},
    };
    for (const auto &[bytes, size] : cases) {
        QTemporaryFile file;
        ASSERT_TRUE(file.open() && file.write(bytes) == bytes.size() && file.flush());
        EXPECT_EQ(declaredFileSize(file.handle()), size) << bytes.toHex().toStdString();
    }
}
