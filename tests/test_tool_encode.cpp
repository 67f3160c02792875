// SPDX-License-Identifier: GPL-3.0-or-later
// The encoder and metadata front-ends with the real ffmpeg and flvmeta, run
// with the command lines the window builds and lines typed by hand.
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "support/DataRows.h"
#include "support/TestMedia.h"

#include <QtCore>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace testmedia;
using enum pipeline::FlvCodecs;

namespace {

// Runs a command of the window as the window does: no shell.
ProcessResult runCommand(const pipeline::StageCommand &command, const RunOptions &options = {})
{
    return run(command.program, command.arguments.list(), options);
}

unsigned modeOf(const QString &path)
{
    struct stat status = {};
    return stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// The mode a program here gives a file it makes.
unsigned usualMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The first frame of source encoded by the front-end with the window's options; the fonts
// in folder/fonts. Empty when the encode fails.
QByteArray encodedFrame(const pipeline::ConversionOptions &o,
                        const QString &source,
                        const QString &folder)
{
    const QString app = applicationFolderUnderTest(), output = source + ".flv";
    const auto arguments = pipeline::BuildEncoderArguments(o, app, folder, u'/').list();
    const ProcessResult result = run(app + "/ffmpeg",
                                     QStringList {"-y", "-i", source} + arguments << output);
    EXPECT_EQ(result.exitCode, 0) << result.errors.right(3000).toStdString();
    return result.exitCode == 0 ? rgbFrame(output, 0) : QByteArray();
}

// The window's encode, metadata and picture commands for one row of
// data/tool_encodes.txt, and what they write.
void encodeThenMetadata(const QStringList &row)
{
    const QString type = row[0], frameSize = row[1], sampling = row[2], audioRate = row[5];
    const QString images = row[7] == "-" ? "" : row[7];
    const bool h264 = row[9] == "h264", sound = audioRate != "-";
    QTemporaryDir dir;
    const QString app = applicationFolderUnderTest(), folder = dir.path() + "/out folder/";
    const QString source = dir.filePath("source clip." + type);
    // 3GP in a size H.263 knows, as long as whole frames of its 8 kHz AAC.
    // The tags a phone writes: the place, the device and its software.
    const QStringList tagged = QString("-metadata|title=A source with a title|-movflags|"
                                       "use_metadata_tags|-metadata|location=+48.8584+002.2945/|"
                                       "-metadata|com.apple.quicktime.location.ISO6709=+48.8584+"
                                       "002.2945/|-metadata|make=Apple|-metadata|model=iPhone 12|"
                                       "-metadata|software=16.1")
                                       .split('|');
    const QStringList tracks = row.value(11, "1:-1").split(':');
    const VideoSpec made = type == "3gp" ? VideoSpec {1.28, 176, 144, 25, true, 44100, 2, tagged}
                                         : VideoSpec {.seconds = row[10].toDouble(),
                                                      .fps = 30,
                                                      .channels = tracks[0] == "1" ? 2 : 1,
                                                      .extraOutputOptions = tagged,
                                                      .audioTracks = tracks[0].toInt(),
                                                      .defaultTrack = tracks[1].toInt()};
    ASSERT_TRUE(makeVideo(source, made) && QDir().mkpath(folder));
    const bool phoneTagged = QStringList {"flv", "mov", "mp4"}.contains(type);
    const QJsonObject probedSource = probe(source);
    EXPECT_TRUE(!phoneTagged || probedSource["format"]["tags"]["location"].isString());
    const pipeline::ConversionOptions options {.videoBitrate = row[4],
                                               .videoWindow = frameSize,
                                               .deInterlace = row[6] == "1",
                                               .audioOff = !sound,
                                               .sampling = sampling,
                                               .audioBitrate = audioRate,
                                               .channels = row[3],
                                               .codecs = h264 ? H264Aac : SorensonMp3};
    const auto arguments = pipeline::BuildEncoderArguments(options, app, "/usr/share", u'/');
    // An output put in place of an earlier one keeps that one's mode.
    const bool replacing = options.deInterlace;
    const auto earlierMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther; // 0604
    if (replacing) {
        ASSERT_TRUE(writeFile(folder + "clip.flv", "earlier")
                    && QFile::setPermissions(folder + "clip.flv", earlierMode));
    }
    // The progress report comes on the descriptor the environment names.
    const ProcessResult encode
            = runCommand(pipeline::encodeCommand(app, source, arguments, folder, "clip.flv", u'/'),
                         {.environment = {"TROVEXA_PROGRESS_FD=1"}});
    ASSERT_EQ(encode.exitCode, 0) << encode.errors.right(2000).toStdString();
    EXPECT_TRUE(encode.output.contains("\nout_time_us=") && encode.output.endsWith("\nprogress=end\n"))
            << encode.output.toStdString();

    // H.264 in even sizes; 4:2:0 for web players.
    const QString output = folder + "clip.flv";
    EXPECT_EQ(modeOf(output), replacing ? 0604u : usualMode());
    const QJsonObject probed = probe(output);
    const QJsonObject video = firstStream(probed, "video"), audio = firstStream(probed, "audio");
    const int rows = frameSize.section('x', 1).toInt();
    const QString size = frameSize.section('x', 0, 0) + "|"
            + QString::number(h264 ? rows + rows % 2 : rows);
    EXPECT_EQ(fields(video,
                     {"codec_name", "width", "height", "r_frame_rate", "avg_frame_rate", "pix_fmt"}),
              (h264 ? "h264|" : "flv1|") + size + "|25/1|25/1|yuv420p");
    EXPECT_EQ(fields(audio, {"codec_name", "sample_rate", "channels"}),
              sound ? QString("%1|%2|%3")
                              .arg(h264 ? "aac" : "mp3", sampling)
                              .arg(row[3] == "Stereo" ? 2 : 1)
                    : "||");
    // The sound of the default track, else of the first: the others are silent.
    EXPECT_TRUE(!sound || testmedia::peakDecibels(output) > -30);

    const ProcessResult metadata = runCommand(
            pipeline::metadataCommand(app, folder, "clip.flv", u'/'));
    ASSERT_EQ(metadata.exitCode, 0) << metadata.errors.toStdString();
    EXPECT_EQ(run("flvmeta", {"--check", "--quiet", output}).exitCode, 0);
    const QJsonObject meta
            = QJsonDocument::fromJson(run("flvmeta", {"--dump", "--json", output}).output).object();
    // H.264's B-frames start picture and sound two frames late.
    const double start = video.value("start_time").toString().toDouble();
    EXPECT_LE(start, 0.08 + 1e-6);
    EXPECT_TRUE(!sound || !h264 || qAbs(audio["start_time"].toString().toDouble() - start) < 0.001);
    // What the metadata says of the streams is what a player decodes: the rate asked for, the
    // sound's rate and channels, the source's length to a frame.
    EXPECT_EQ(meta.value("framerate").toDouble(), 25.0);
    EXPECT_NEAR(meta.value("duration").toDouble(), made.seconds, 0.04 + 1e-6);
    EXPECT_EQ(fields(meta, {"audiosamplerate", "stereo"}),
              sound ? audio.value("sample_rate").toString()
                              + (audio.value("channels").toInt() == 2 ? "|true" : "|false")
                    : "|");
    // The source's title stays; where and with what it was recorded does not.
    EXPECT_TRUE(!QStringList({"avi", "flv", "mov", "mp4"}).contains(type)
                || meta["title"].toString() == "A source with a title");
    for (const QString &key : meta.keys())
        EXPECT_FALSE(QRegularExpression("location|iso6709|gps|make|model|software")
                             .match(key.toLower())
                             .hasMatch())
                << key.toStdString();
    // The keyframes' index that lets a player seek.
    EXPECT_FALSE(meta.value("keyframes").toObject().value("times").toArray().isEmpty());
    EXPECT_EQ(folderEntries(folder), QStringList {"clip.flv"});

    // Pictures under "%" in a folder name and paths ffmpeg would cut at 1023 bytes.
    if (images.isEmpty())
        return;
    QString covers = dir.path() + "/100% my covers/";
    while (covers.size() < row[8].toInt())
        covers += QString(100, u'f') + "/";
    ASSERT_TRUE(QDir().mkpath(covers));
    const ProcessResult grab = runCommand(
            pipeline::imageCommand(app, source, frameSize, images, covers, u'/'));
    ASSERT_EQ(grab.exitCode, 0) << grab.errors.right(2000).toStdString();
    EXPECT_TRUE(grab.output.isEmpty()) << "no progress report unless asked for";
    QStringList expected;
    for (int i = 1; i <= images.toInt(); ++i)
        expected << QString("cover%1.jpg").arg(i);
    expected.sort();
    EXPECT_EQ(folderEntries(covers), expected);
    for (const QString &name : std::as_const(expected)) {
        EXPECT_EQ(modeOf(covers + name), usualMode()) << name.toStdString();
        EXPECT_EQ(fields(firstStream(probe(covers + name), "video"),
                         {"codec_name", "width", "height"}),
                  "mjpeg|" + QString(frameSize).replace('x', '|'));
    }
    EXPECT_EQ(folderEntries(dir.path()),
              QStringList({"100% my covers", "out folder", source.section('/', -1)}));
}

TEST(ToolEncode, WindowChoices)
{
    const auto rows = dataRows("tool_encodes.txt");
    EXPECT_FALSE(rows.isEmpty());
    for (const auto &[number, line] : rows) {
        const QStringList row = line[0].simplified().split(' ');
        ASSERT_TRUE(row.size() == 11 || row.size() == 12) << "line " << number;
        SCOPED_TRACE("line " + std::to_string(number));
        encodeThenMetadata(row);
    }
}

// The watermark against the same encode without it, pixel by pixel: the whole
// text and nothing else; alpha 0 draws nothing; no text file left behind; the
// font in a folder whose name a filter takes specially.
TEST(ToolWatermark, DrawsTheWholeTextAndNothingElse)
{
    // text, colour, alpha, left, top, size
    // clang-format off
    const std::tuple<QString, QString, QString, int, int, int> cases[] = {
        {"it's \"q\": a,b; [x] \\ 100% {y} =z\nsecond   line", "white", "255", 10, 20, 20},
        {"I  WWWW  %{pts} \\n\r\nline two", "NavyBlue", "200", 40, 60, 24},
        {"  A  B   C  D  E\r\n  two", "Yellow", "128", 0, 100, 18},
        {"hidden text\nline", "red", "0", 20, 20, 20}};
    // clang-format on
    QTemporaryDir dir;
    const QString source = dir.filePath("source.avi");
    const QString fonts = dir.filePath("win 'q' \"d\": [a,b]; c\\d");
    ASSERT_TRUE(makeVideo(source, {.seconds = 0.4}) && QDir().mkpath(fonts + "/fonts")
                && QFile::copy("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                               fonts + "/fonts/DejaVu Sans.ttf"));
    pipeline::ConversionOptions o {.videoBitrate = "1200",
                                   .videoWindow = "320x240",
                                   .fontFile = "DejaVu Sans.ttf",
                                   .sampling = "22050",
                                   .audioBitrate = "64",
                                   .channels = "Mono"};
    const QByteArray plain = encodedFrame(o, source, fonts);
    ASSERT_EQ(plain.size(), 320 * 240 * 3);
    o.watermarkOn = true;
    for (const auto &[text, colour, alpha, left, top, size] : cases) {
        std::tie(o.watermarkText, o.colorName, o.alpha) = std::tie(text, colour, alpha);
        o.fontSize = QString::number(size);
        o.left = QString::number(left);
        o.top = QString::number(top);
        const QByteArray marked = encodedFrame(o, source, fonts);
        ASSERT_EQ(marked.size(), plain.size());
        // Changed pixels around the two lines (a coding block's margin) or not;
        // right of the first word; on the second line.
        int outside = 0, inside = 0, right = 0, second = 0;
        for (int i = 0; i < 320 * 240; ++i) {
            const int x = i % 320, y = i / 320;
            int diff = 0;
            for (int k = 3 * i; k < 3 * i + 3; ++k)
                diff = std::max(diff, std::abs(uchar(plain[k]) - uchar(marked[k])));
            if (diff < 48)
                continue;
            (x >= left - 16 && y >= top - 16 && y < top + 3.2 * size + 16 ? inside : outside)++;
            right += x > left + 6 * size && y < top + size * 1.2;
            second += y > top + size * 1.3;
        }
        EXPECT_LT(outside, 20) << text.toStdString();
        EXPECT_TRUE(alpha == "0" ? inside < 20 : inside > 150 && right > 30 && second > 30)
                << text.toStdString() << ": " << inside << " " << right << " " << second;
    }
    EXPECT_EQ(folderEntries(dir.path()),
              QStringList({"source.avi", "source.avi.flv", fonts.section('/', -1)}));
}

// Every colour of the shipped list reaches the picture as the list states it:
// a full block drawn opaque, each component read back inside it.
TEST(ToolWatermark, DrawsEveryShippedColourExactly)
{
    QTemporaryDir dir;
    const QString app = applicationFolderUnderTest(), source = dir.filePath("source.avi");
    ASSERT_TRUE(makeVideo(source, {.seconds = 0.2, .width = 160, .height = 120}));
    QFile list(app + "/colors.txt");
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(list.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 7);
    pipeline::ConversionOptions o {.videoBitrate = "1200",
                                   .videoWindow = "160x120",
                                   .watermarkOn = true,
                                   .watermarkText = "\u2588\u2588",
                                   .fontFile = "truetype/dejavu/DejaVuSans.ttf",
                                   .fontSize = "60",
                                   .left = "10",
                                   .top = "10",
                                   .alpha = "255",
                                   .audioOff = true};
    for (const QString &line : lines) {
        const QStringList fields = line.split(' ');
        o.colorName = fields.value(3);
        SCOPED_TRACE(line.toStdString());
        const QByteArray frame = encodedFrame(o, source, "/usr/share");
        ASSERT_EQ(frame.size(), 160 * 120 * 3);
        for (int component = 0; component < 3; ++component) {
            int sum = 0; // over an 8 x 8 patch well inside the block
            for (int y = 40; y < 48; ++y)
                for (int x = 30; x < 38; ++x)
                    sum += uchar(frame[3 * (y * 160 + x) + component]);
            EXPECT_NEAR(sum / 64, fields.value(component).toInt(), 10) << "component " << component;
        }
    }
}

// Typed lines, run with signals ignored and blocked by the caller: relative names, "%" in an FLV
// name, the longest name; a lightly damaged source converts; a link or copy of the front-end ahead
// on PATH still finds the system ffmpeg, passing over a file of that name that may not be run.
TEST(ToolByHand, TypedLines)
{
    QTemporaryDir dir;
    const QString app = applicationFolderUnderTest(), in = dir.filePath("in.avi");
    ASSERT_TRUE(makeVideo(in, {.seconds = 4}));
    QByteArray bytes = readFile(in);
    ASSERT_TRUE(writeFile(in, bytes.replace(bytes.size() / 2, 16, QByteArray(16, '\xff'))));
    const RunOptions hostile {.folder = dir.path(), .hostileSignals = true};
    for (const QString &name : {QString("50%done.flv"), QString(251, u'n') + ".flv"}) {
        const QString line = "-i in.avi -b 350kb/s -r 25 -s 320x240 -ar 22050Hz -ab 64 -ac 2 ";
        const ProcessResult typed = run(app + "/ffmpeg", QString(line + name).split(' '), hostile);
        ASSERT_EQ(typed.exitCode, 0) << typed.errors.right(2000).toStdString();
        EXPECT_NEAR(durationSeconds(probe(dir.filePath(name))), 4.0, 0.2);
        const ProcessResult metadata = run(app + "/flvmdi", {name}, hostile);
        EXPECT_EQ(metadata.exitCode, 0) << metadata.errors.toStdString();
        EXPECT_EQ(run("flvmeta", {"--check", "--quiet", dir.filePath(name)}).exitCode, 0);
    }
    for (const QString &ahead : {dir.filePath("link"), dir.filePath("copy")}) {
        ASSERT_TRUE(QDir().mkpath(ahead));
        ASSERT_TRUE(ahead.endsWith("link") ? QFile::link(app + "/ffmpeg", ahead + "/ffmpeg")
                                           : QFile::copy(app + "/ffmpeg", ahead + "/ffmpeg"));
        // A file named ffmpeg that may not be run is passed over.
        ASSERT_TRUE(writeFile(dir.filePath("ffmpeg"), "not a program"));
        const QString path = "PATH=" + ahead + ":" + dir.path() + ":" + app + ":"
                + qEnvironmentVariable("PATH");
        const ProcessResult result = run(ahead + "/ffmpeg",
                                         {"-i", in, "-vframes", "2", ahead + "/cover%d.jpg"},
                                         {.environment = {path}});
        EXPECT_EQ(result.exitCode, 0) << result.errors.right(2000).toStdString();
        EXPECT_TRUE(QFile::exists(ahead + "/cover2.jpg")) << ahead.toStdString();
    }
}

} // namespace
