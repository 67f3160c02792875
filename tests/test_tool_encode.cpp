// The encoder and metadata front-ends with the real ffmpeg and flvmeta, run
// with the command lines the window builds, on media made here.
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testmedia;
using enum pipeline::FlvCodecs;

namespace {

struct EncodeCase
{
    const char *sourceType;
    const char *frameSize;
    const char *sampling;
    const char *channels;
    const char *videoRate;
    const char *audioRate; // nullptr: audio off
    bool deInterlace;
    pipeline::FlvCodecs codecs = pipeline::FlvCodecs::SorensonMp3;
    double seconds = 0; // 0: the source type's usual length
};

struct CodecIds
{
    const char *video;
    const char *audio;
    int videoId; // FLV codec ids in the metadata
    int audioId;
    // The least share of the requested rates spent on a second of the test
    // pattern and its tone. x264's average rate settles only over several
    // seconds and spends far less on such simple pictures; AAC spends what
    // the tone needs.
    double videoShare;
    double audioShare;
};

CodecIds codecIds(pipeline::FlvCodecs codecs)
{
    if (codecs == pipeline::FlvCodecs::H264Aac)
        return {"h264", "aac", 7, 10, 0.25, 0.3};
    return {"flv1", "mp3", 2, 2, 0.6, 0.7};
}

std::ostream &operator<<(std::ostream &out, const EncodeCase &c)
{
    return out << c.sourceType << ' ' << c.frameSize << ' ' << c.sampling << ' ' << c.channels
               << ' ' << codecIds(c.codecs).video;
}

// Runs a command of the window the way the window does: its program with
// its argument list, no shell.
ProcessResult runCommand(const pipeline::StageCommand &command)
{
    return run(command.program, command.arguments.list());
}

const QString SourceTitle = "A source with a title";

VideoSpec sourceSpec(const QString &type)
{
    const QStringList title {"-metadata", "title=" + SourceTitle};
    // 3GP: a size H.263 knows; its 8 kHz AAC comes in frames of 128 ms, and
    // a length on a frame boundary keeps the decoded sound as long as the
    // stated duration.
    if (type == "3gp")
        return {.seconds = 1.28, .width = 176, .height = 144, .extraOutputOptions = title};
    return {.seconds = 1.2, .fps = 30, .extraOutputOptions = title};
}

pipeline::ConversionOptions optionsFor(const EncodeCase &c)
{
    pipeline::ConversionOptions options;
    options.videoBitrate = c.videoRate;
    options.videoWindow = c.frameSize;
    options.deInterlace = c.deInterlace;
    options.sampling = c.sampling;
    options.audioOff = c.audioRate == nullptr;
    if (c.audioRate)
        options.audioBitrate = c.audioRate;
    options.channels = c.channels;
    options.codecs = c.codecs;
    return options;
}

class ToolEncode : public testing::TestWithParam<EncodeCase>
{
protected:
    QTemporaryDir m_dir;
    const QString m_app = applicationFolderUnderTest();
};

// Encodes with the window's command line, checks the FLV, then gives it its
// metadata with the window's metadata command line and checks that.
TEST_P(ToolEncode, EncodeThenMetadata)
{
    const EncodeCase c = GetParam();
    ASSERT_TRUE(m_dir.isValid());
    const QString source = m_dir.filePath(QString("source clip.%1").arg(c.sourceType));
    VideoSpec sourceDescription = sourceSpec(c.sourceType);
    if (c.seconds > 0)
        sourceDescription.seconds = c.seconds;
    ASSERT_TRUE(makeVideo(source, sourceDescription));
    const double sourceSeconds = durationSeconds(probe(source));

    const QString folder = m_dir.path() + "/out folder/";
    ASSERT_TRUE(QDir().mkpath(folder));
    const pipeline::CommandArguments arguments = pipeline::BuildEncoderArguments(optionsFor(c),
                                                                                 m_app,
                                                                                 "/usr/share",
                                                                                 u'/');
    // The progress report comes on the descriptor the environment names,
    // as the window asks for it.
    qputenv("TROVEXA_PROGRESS_FD", "1");
    const ProcessResult encode = runCommand(
            pipeline::encodeCommand(m_app, source, arguments, folder, "clip.flv", u'/'));
    qunsetenv("TROVEXA_PROGRESS_FD");
    ASSERT_EQ(encode.exitCode, 0) << encode.errors.right(2000).toStdString();
    EXPECT_TRUE(encode.output.contains("\nout_time_us=")) << encode.output.toStdString();
    EXPECT_TRUE(encode.output.endsWith("\nprogress=end\n")) << encode.output.toStdString();

    const QString output = folder + "clip.flv";
    const QJsonObject probed = probe(output);
    const QJsonObject video = firstStream(probed, "video");
    const QJsonObject audio = firstStream(probed, "audio");
    const QStringList size = QString(c.frameSize).split('x');
    const CodecIds codecs = codecIds(c.codecs);
    EXPECT_EQ(video.value("codec_name").toString(), codecs.video);
    // H.264 in 4:2:0 takes even sizes only: 400x225 is written as 400x226.
    const int even = c.codecs == H264Aac ? 2 : 1;
    const int width = (size[0].toInt() + even - 1) / even * even;
    const int height = (size[1].toInt() + even - 1) / even * even;
    EXPECT_EQ(video.value("width").toInt(), width);
    EXPECT_EQ(video.value("height").toInt(), height);
    EXPECT_EQ(video.value("r_frame_rate").toString(), "25/1");
    EXPECT_EQ(video.value("avg_frame_rate").toString(), "25/1");
    const int channels = QString(c.channels) == "Stereo" ? 2 : 1;
    if (c.audioRate) {
        EXPECT_EQ(audio.value("codec_name").toString(), codecs.audio);
        EXPECT_EQ(audio.value("sample_rate").toString(), c.sampling);
        EXPECT_EQ(audio.value("channels").toInt(), channels);
    } else {
        EXPECT_TRUE(audio.isEmpty());
    }
    if (c.codecs == pipeline::FlvCodecs::H264Aac) {
        // What web FLV players take: 4:2:0, main profile, level 3.1 at most.
        EXPECT_EQ(video.value("pix_fmt").toString(), "yuv420p");
        EXPECT_EQ(video.value("profile").toString(), "Main");
        EXPECT_LE(video.value("level").toInt(), 31);
    }

    // flv1 overshoots on one second of the busy test pattern at low rates;
    // the rate must still follow the request.
    const double seconds = durationSeconds(probed);
    const double videoKbits = streamBytes(output, "v") * 8.0 / seconds / 1000.0;
    const double requested = QString(c.videoRate).toDouble();
    EXPECT_GT(videoKbits, requested * codecs.videoShare) << videoKbits;
    EXPECT_LT(videoKbits, requested * 1.6) << videoKbits;
    if (c.audioRate) {
        double expected = QString(c.audioRate).toDouble();
        // AAC holds at most 6144 bits a channel in a frame of 1024 samples.
        if (c.codecs == pipeline::FlvCodecs::H264Aac)
            expected = std::min(expected, 6.0 * QString(c.sampling).toDouble() * channels / 1000);
        const double audioKbits = streamBytes(output, "a") * 8.0 / seconds / 1000.0;
        EXPECT_GT(audioKbits, expected * codecs.audioShare);
        EXPECT_LT(audioKbits, expected * 1.3);
    }

    const ProcessResult metadata = runCommand(
            pipeline::metadataCommand(m_app, folder, "clip.flv", u'/'));
    ASSERT_EQ(metadata.exitCode, 0) << metadata.errors.toStdString();
    EXPECT_EQ(run("flvmeta", {"--check", "--quiet", output}).exitCode, 0);
    const QJsonObject meta
            = QJsonDocument::fromJson(run("flvmeta", {"--dump", "--json", output}).output).object();
    // H.264's B-frames start the picture two frames late, and the sound
    // with it; the file is that much longer than its source.
    const double start = video.value("start_time").toString().toDouble();
    EXPECT_LE(start, 0.08 + 1e-6);
    if (c.audioRate && c.codecs == H264Aac) {
        EXPECT_NEAR(audio.value("start_time").toString().toDouble(), start, 0.001);
    }
    EXPECT_NEAR(meta.value("duration").toDouble() - start, sourceSeconds, 0.1);
    EXPECT_EQ(meta.value("width").toDouble(), width);
    EXPECT_EQ(meta.value("height").toDouble(), height);
    EXPECT_EQ(meta.value("videocodecid").toDouble(), codecs.videoId);
    if (c.audioRate) {
        EXPECT_EQ(meta.value("audiocodecid").toDouble(), codecs.audioId);
    }
    // What the encoder wrote about the file stays, where the source had it.
    if (QStringList {"avi", "flv", "mov", "mp4"}.contains(c.sourceType)) {
        EXPECT_EQ(meta.value("title").toString(), SourceTitle);
    }
    const QJsonObject keyframes = meta.value("keyframes").toObject();
    EXPECT_FALSE(keyframes.value("times").toArray().isEmpty());
    // A keyframe at least every 2 s, so that a player can seek anywhere.
    double previous = 0;
    for (const QJsonValue time : keyframes.value("times").toArray()) {
        EXPECT_LE(time.toDouble() - previous, 2.0 + 1e-6);
        previous = time.toDouble();
    }
    EXPECT_EQ(keyframes.value("times").toArray().size(),
              keyframes.value("filepositions").toArray().size());
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList {"clip.flv"});
}

// Classic: every frame size of the window's list, every source type it
// accepts, each sampling rate and both channel choices. H.264 and AAC: 24
// kbit/s mono at 11025 and 22050 Hz, 160 kbit/s stereo at 11025 Hz (beyond
// what AAC holds there) and 44100 Hz, audio off, the smallest and largest
// frames, an odd height; a longer source for the keyframe distance.
const EncodeCase Encodes[] = {{"mpg", "160x120", "11025", "Mono", "225", "32", false},
                              {"mpeg", "240x180", "22050", "Stereo", "350", "64", false},
                              {"avi", "240x135", "44100", "Mono", "350", "96", true},
                              {"wmv", "320x180", "11025", "Stereo", "450", "48", false},
                              {"asf", "320x240", "22050", "Mono", "350", "24", false},
                              {"flv", "400x225", "44100", "Stereo", "450", "128", false},
                              {"mov", "400x300", "11025", "Mono", "800", "56", false},
                              {"mp4", "512x288", "22050", "Stereo", "800", "80", false},
                              {"3gp", "512x384", "44100", "Mono", "800", "112", false},
                              {"vob", "640x360", "11025", "Stereo", "1200", "64", true},
                              {"dat", "640x480", "22050", "Mono", "1200", "160", false},
                              {"avi", "768x432", "44100", "Stereo", "1200", "160", false},
                              {"mpg", "768x576", "22050", "Stereo", "1200", "96", false},
                              {"mpg", "160x120", "11025", "Mono", "40", "24", false, H264Aac, 4.5},
                              {"avi", "320x240", "11025", "Stereo", "350", "160", false, H264Aac},
                              {"mov", "400x225", "22050", "Mono", "225", "24", true, H264Aac},
                              {"flv", "640x360", "44100", "Stereo", "800", "160", false, H264Aac},
                              {"vob", "768x576", "22050", "Stereo", "1200", nullptr, true, H264Aac}};
INSTANTIATE_TEST_SUITE_P(WindowChoices, ToolEncode, testing::ValuesIn(Encodes));

struct ImageCase
{
    const char *sourceType;
    const char *frameSize;
    const char *count;
    int expected;
    int folderLength = 0; // a folder path of about this many bytes; 0 for a short one
};

class ToolImages : public testing::TestWithParam<ImageCase>
{ };

TEST_P(ToolImages, ExactlyTheFramesAskedFor)
{
    const ImageCase c = GetParam();
    QTemporaryDir dir;
    const QString app = applicationFolderUnderTest();
    const QString source = dir.filePath(QString("src.%1").arg(c.sourceType));
    ASSERT_TRUE(makeVideo(source, sourceSpec(c.sourceType)));
    // ffmpeg's picture writer reads "%" in its path and cuts it at 1023 bytes:
    // neither may matter.
    QString folder = dir.path() + "/100% my covers/";
    while (folder.size() < c.folderLength)
        folder += QString(100, u'f') + "/";
    ASSERT_TRUE(QDir().mkpath(folder));

    const ProcessResult grab = runCommand(
            pipeline::imageCommand(app, source, c.frameSize, c.count, folder, u'/'));
    ASSERT_EQ(grab.exitCode, 0) << grab.errors.right(2000).toStdString();
    EXPECT_TRUE(grab.output.isEmpty()) << "no progress report unless asked for";

    QStringList expected;
    for (int i = 1; i <= c.expected; ++i)
        expected << QString("cover%1.jpg").arg(i);
    QStringList written = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden
                                                 | QDir::NoDotAndDotDot);
    std::sort(written.begin(), written.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"100% my covers", QString("src.%1").arg(c.sourceType)}));

    const QStringList size = QString(c.frameSize).split('x');
    for (const QString &name : std::as_const(expected)) {
        const QJsonObject video = firstStream(probe(folder + name), "video");
        EXPECT_EQ(video.value("codec_name").toString(), "mjpeg") << name.toStdString();
        EXPECT_EQ(video.value("width").toInt(), size[0].toInt());
        EXPECT_EQ(video.value("height").toInt(), size[1].toInt());
    }
}

const ImageCase Images[] = {{"flv", "160x120", "10", 10},
                            {"mpg", "768x576", "3", 3},
                            {"avi", "240x135", "05", 5},
                            {"mov", "400x300", "1", 1},
                            {"avi", "160x120", "3", 3, 1000},
                            {"avi", "160x120", "2", 2, 1100}};
INSTANTIATE_TEST_SUITE_P(WindowChoices, ToolImages, testing::ValuesIn(Images));

// Lines typed by hand: names relative to the working folder, where a "%" in
// an FLV name is a plain character; started with SIGCHLD, SIGINT and SIGTERM
// ignored and every signal blocked, both front-ends still see their child
// end. The front-end is called ffmpeg too: with a link to it, or a copy, and
// the application folder ahead on PATH it must still find the system ffmpeg
// (each level would wait on the next if it ran itself).
TEST(ToolByHand, TypedLines)
{
    QTemporaryDir dir;
    const QString app = applicationFolderUnderTest();
    ASSERT_TRUE(makeVideo(dir.filePath("in.avi"), {.seconds = 0.5}));
    const QStringList usual = QString("-b 350kb/s -r 25 -s 320x240 -ar 22050Hz -ab 64 -ac 2")
                                      .split(' ');
    const QStringList typed = QStringList {"-i", "in.avi"} + usual + QStringList {"50%done.flv"};
    const ProcessResult relative = run(app + "/ffmpeg", typed, {.folder = dir.path()});
    ASSERT_EQ(relative.exitCode, 0) << relative.errors.right(2000).toStdString();
    const QJsonObject probed = probe(dir.filePath("50%done.flv"));
    EXPECT_EQ(firstStream(probed, "video").value("width").toInt(), 320);
    EXPECT_EQ(firstStream(probed, "audio").value("codec_name").toString(), "mp3");

    const QString flv = dir.filePath("o.flv");
    const QStringList small {"-i", dir.filePath("in.avi"), "-s", "160x120"};
    const ProcessResult encode = run(app + "/ffmpeg",
                                     small + QStringList {flv},
                                     {.hostileSignals = true});
    EXPECT_EQ(encode.exitCode, 0) << encode.errors.right(2000).toStdString();
    const ProcessResult metadata = run(app + "/flvmdi", {flv}, {.hostileSignals = true});
    EXPECT_EQ(metadata.exitCode, 0) << metadata.errors.toStdString();

    for (const QString &ahead : {dir.filePath("link"), dir.filePath("copy")}) {
        ASSERT_TRUE(QDir().mkpath(ahead));
        ASSERT_TRUE(ahead.endsWith("link") ? QFile::link(app + "/ffmpeg", ahead + "/ffmpeg")
                                           : QFile::copy(app + "/ffmpeg", ahead + "/ffmpeg"));
        const QString covers = ahead + "/cover%d.jpg";
        const QString path = "PATH=" + ahead + ":" + app + ":" + qEnvironmentVariable("PATH");
        const QStringList grab = small + QStringList {"-vframes", "2", covers};
        const ProcessResult result = run(ahead + "/ffmpeg", grab, {.environment = {path}});
        EXPECT_EQ(result.exitCode, 0) << result.errors.right(2000).toStdString();
        EXPECT_TRUE(QFile::exists(ahead + "/cover2.jpg")) << ahead.toStdString();
    }
}

} // namespace
