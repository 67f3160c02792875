#include "media/FrameSize.h"
#include "media/VideoEditComponent.h"

#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using media::FrameSize;
using media::VideoEdit;
using media::VideoEditComponent;
using testmedia::writeFile;

namespace {

class VideoEditTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        using testmedia::makeVideo;
        ASSERT_TRUE(makeVideo(path("av.avi"), {.seconds = 2}));
        ASSERT_TRUE(makeVideo(path("silent.avi"),
                              {.seconds = 1, .width = 176, .height = 144, .audio = false}));
        ASSERT_TRUE(
                makeVideo(path("audio-only.avi"), {.seconds = 1, .extraOutputOptions = {"-vn"}}));
        ASSERT_TRUE(makeVideo(path("zero.avi"),
                              {.audio = false, .extraOutputOptions = {"-frames:v", "0"}}));
        ASSERT_TRUE(makeVideo(path("portrait.mp4"), {.seconds = 1, .turn = 90}));
        ASSERT_TRUE(writeFile(path("garbage.avi"), QByteArray(4096, '\x5a')));
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    static QString path(const QString &name) { return s_dir->filePath(name); }

    // Queues a whole source at the intermediate's size, as the normalizer does.
    void queue(const QString &source)
    {
        const FrameSize size = media::intermediateFrameSize(
                {*component.GetFileWidth(source), *component.GetFileHeight(source)});
        component.setOutputWidth(qint16(size.width));
        component.setOutputHeight(qint16(size.height));
        double videoLength = *component.GetFileDuration(source);
        double audioLength = videoLength;
        ASSERT_TRUE(component.AddVideoClip(source, 0.0, videoLength, 2));
        component.AddAudioClip(source, 0.0, audioLength);
    }

    // Converts what is queued into output; true when it finished.
    bool convert(const QString &output)
    {
        if (!component.SetOutputFile(output) || !component.StartConversion())
            return false;
        return QTest::qWaitFor([&] { return finished.count() + failed.count() > 0; }, 60000)
                && finished.count() == 1 && failed.count() == 0;
    }

    VideoEditComponent component {media::findSystemFfmpeg(applicationFolderUnderTest())};
    QSignalSpy progress {&component, &VideoEdit::ConversionProgress};
    QSignalSpy finished {&component, &VideoEdit::ConversionFinished};
    QSignalSpy failed {&component, &VideoEdit::ConversionFailed};
    QTemporaryDir work;

    static inline std::unique_ptr<QTemporaryDir> s_dir;
};

struct ProbeCase
{
    const char *file;
    std::optional<double> seconds; // nullopt: the probe fails
    std::optional<int> width;
    std::optional<int> height;
    double timeline; // after a clip longer than the source
    bool audio; // an audio clip is taken
};

// The size as shown on screen; sources that cannot be read fail outright;
// the timeline holds queued video only, cut to what the source holds.
TEST_F(VideoEditTest, ProbesAndQueues)
{
    const ProbeCase cases[] = {{"av.avi", 2.0, 320, 240, 2.0, true},
                               {"silent.avi", 1.0, 176, 144, 1.0, false},
                               {"portrait.mp4", 1.0, 240, 320, 1.0, true},
                               {"audio-only.avi", 1.0, 0, 0, 0.0, true},
                               {"zero.avi", 0.0, 320, 240, 0.0, false},
                               {"garbage.avi", {}, {}, {}, 0.0, false},
                               {"missing.avi", {}, {}, {}, 0.0, false}};
    for (const ProbeCase &c : cases) {
        const auto seconds = component.GetFileDuration(path(c.file));
        ASSERT_EQ(seconds.has_value(), c.seconds.has_value()) << c.file;
        if (seconds) {
            EXPECT_NEAR(*seconds, *c.seconds, 0.1) << c.file;
        }
        EXPECT_EQ(component.GetFileWidth(path(c.file)), c.width) << c.file;
        EXPECT_EQ(component.GetFileHeight(path(c.file)), c.height) << c.file;
        double length = 9.5;
        EXPECT_EQ(component.AddVideoClip(path(c.file), 0.0, length, 2), c.seconds.has_value());
        EXPECT_NEAR(component.GetTimelineDuration(), c.timeline, 0.1) << c.file;
        if (c.timeline > 0) {
            EXPECT_EQ(length, component.GetTimelineDuration()) << "the clip as cut";
        }
        EXPECT_EQ(component.AddAudioClip(path(c.file), 0.0, length), c.audio) << c.file;
        component.ClearClips();
        EXPECT_EQ(component.GetTimelineDuration(), 0.0);
    }
    EXPECT_EQ(component.GetFileDuration(""), 0.0);
}

TEST_F(VideoEditTest, OutputFileMustBeWritableAndNeverTheSource)
{
    ASSERT_TRUE(writeFile(work.filePath("plain-file"), {}));
    for (const QString &bad : {work.filePath("plain-file/temp.mpg"),
                               work.filePath("no-such-folder/temp.mpg"),
                               work.path(),
                               QString()})
        EXPECT_FALSE(component.SetOutputFile(bad)) << qPrintable(bad);
    EXPECT_FALSE(component.StartConversion()) << "nothing is written without an output file";
    queue(path("av.avi"));
    EXPECT_FALSE(component.SetOutputFile(path("av.avi")));
    EXPECT_TRUE(component.SetOutputFile(work.filePath("temp.mpg")));
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList {"plain-file"})
            << "accepting the output creates nothing yet";
}

struct SizeCase
{
    const char *name;
    FrameSize stored;
    double turn; // degrees the decoder turns the picture
    FrameSize intermediate;
};

class IntermediateSize : public testing::TestWithParam<SizeCase>
{ };

TEST_P(IntermediateSize, FitsTheLargestOutputFrameAsShownOnScreen)
{
    const SizeCase c = GetParam();
    EXPECT_EQ(media::intermediateFrameSize(media::displayedSize(c.stored, c.turn)), c.intermediate);
}

const SizeCase SizeCases[] = {{"small", {320, 240}, 0, {320, 240}},
                              {"exact_fit", {768, 576}, 0, {768, 576}},
                              {"pal_dvd", {720, 576}, 0, {720, 576}},
                              {"wide_hd", {1920, 1080}, 0, {768, 432}},
                              {"cinema_4k", {4096, 2160}, 0, {768, 406}},
                              {"tall", {1080, 1920}, 0, {324, 576}},
                              {"phone_turned_right", {1920, 1080}, 90, {324, 576}},
                              {"phone_turned_left", {1920, 1080}, -90, {324, 576}},
                              {"upside_down", {1920, 1080}, 180, {768, 432}},
                              {"odd_small", {175, 143}, 0, {176, 144}},
                              {"odd_hd", {1279, 719}, 0, {768, 432}},
                              {"one_pixel", {1, 1}, 0, {2, 2}},
                              {"no_video", {0, 0}, 0, {0, 0}}};
INSTANTIATE_TEST_SUITE_P(Sources,
                         IntermediateSize,
                         testing::ValuesIn(SizeCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A source and what its intermediate holds.
struct ConvertCase
{
    const char *name;
    const char *file;
    FrameSize size;
    double fps;
    QStringList codecs; // ffmpeg options for the source's streams
    bool copied; // the video is copied as it is
    FrameSize intermediate;
    double seconds = 1;
    int turn = 0; // a quarter turn the player gives the picture
};

class Conversion : public VideoEditTest, public testing::WithParamInterface<ConvertCase>
{ };

// MPEG-2 program stream at 25 fps with 44.1 kHz MP2 audio running forward,
// whatever the source; its video is copied only when the copy meets every
// one of those, and shows as on screen. The previous intermediate is
// replaced and progress runs forward to the end.
TEST_P(Conversion, WritesTheIntermediate)
{
    const ConvertCase c = GetParam();
    const QString source = work.filePath(c.file);
    // The stored picture's upper half is white.
    const QStringList halves {"-vf",
                              "drawbox=w=iw:h=ih/2:color=white:t=fill,"
                              "drawbox=y=ih/2:w=iw:h=ih/2:color=black:t=fill"};
    ASSERT_TRUE(testmedia::makeVideo(source,
                                     {.seconds = c.seconds,
                                      .width = c.size.width,
                                      .height = c.size.height,
                                      .fps = c.fps,
                                      .sampleRate = 48000,
                                      .extraOutputOptions = halves + c.codecs,
                                      .turn = c.turn}));
    const QString output = work.filePath("temp.mpg");
    ASSERT_TRUE(writeFile(output, "previous run"));
    queue(source);
    ASSERT_TRUE(convert(output));

    ASSERT_FALSE(progress.isEmpty());
    double last = -1;
    for (const QList<QVariant> &report : std::as_const(progress)) {
        EXPECT_GE(report[0].toDouble(), last);
        EXPECT_EQ(report[1].toDouble(), component.GetTimelineDuration());
        last = report[0].toDouble();
    }
    EXPECT_NEAR(last, c.seconds, 0.1);
    EXPECT_EQ(testmedia::streamBytes(output, "v") == testmedia::streamBytes(source, "v"), c.copied);
    const QJsonObject probed = testmedia::probe(output);
    EXPECT_EQ(probed["format"].toObject()["format_name"].toString(), "mpeg");
    EXPECT_NEAR(testmedia::durationSeconds(probed), c.seconds, 0.15);
    const QJsonObject video = testmedia::firstStream(probed, "video");
    EXPECT_EQ((FrameSize {video["width"].toInt(), video["height"].toInt()}), c.intermediate);
    if (!c.copied) {
        EXPECT_EQ(video["codec_name"].toString(), "mpeg2video");
    }
    EXPECT_EQ(video["r_frame_rate"].toString(), "25/1");
    EXPECT_EQ(video["pix_fmt"].toString(), "yuv420p");
    const QJsonObject audio = testmedia::firstStream(probed, "audio");
    EXPECT_EQ(audio["codec_name"].toString(), "mp2");
    EXPECT_EQ(audio["sample_rate"].toString(), "44100");
    EXPECT_EQ(audio["bit_rate"].toString(), "128000");
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files).size(), 2) << "the source and the output";

    // Turned a quarter clockwise, the upper half shows on the right.
    const int w = c.intermediate.width;
    const int h = c.intermediate.height;
    const QByteArray frame = testmedia::rgbFrame(output);
    ASSERT_EQ(frame.size(), 3 * w * h);
    const auto red = [&](int x, int y) {
        return quint8(frame.at(3 * (y * w + x)));
    };
    EXPECT_GT(c.turn ? red(3 * w / 4, h / 2) : red(w / 2, h / 4), 200) << "white";
    EXPECT_LT(c.turn ? red(w / 4, h / 2) : red(w / 2, 3 * h / 4), 50) << "black";
    const QStringList dts {"-v", "error", "-select_streams", "a:0", "-show_entries", "packet=dts"};
    const QList<QByteArray> stamps = testmedia::run("ffprobe",
                                                    dts + QStringList {"-of", "csv=p=0", output})
                                             .output.trimmed()
                                             .split('\n');
    EXPECT_GT(stamps.size(), 10);
    for (qsizetype i = 1; i < stamps.size(); ++i)
        EXPECT_GT(stamps[i].toLongLong(), stamps[i - 1].toLongLong()) << "the audio runs forward";
}

const QStringList H264 {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"};
const ConvertCase ConvertCases[]
        = {{"avi", "av.avi", {320, 240}, 25, {}, false, {320, 240}},
           // its audio steps back a few milliseconds after 7 seconds
           {"pal_dvd", "pal.vob", {720, 576}, 25, {"-target", "pal-dvd"}, true, {720, 576}, 8},
           {"wide_hd", "hd.mp4", {1920, 1080}, 30, H264, false, {768, 432}},
           {"portrait_phone", "phone.mp4", {1920, 1080}, 30, H264, false, {324, 576}, 1, 90},
           {"video_cd", "vcd.dat", {352, 288}, 25, {"-target", "pal-vcd"}, true, {352, 288}},
           {"ntsc_dvd", "ntsc.vob", {720, 480}, 29.97, {"-target", "ntsc-dvd"}, false, {720, 480}},
           {"hd_size", "hd.vob", {1920, 1080}, 25, {"-c:a", "ac3"}, false, {768, 432}},
           {"mpeg4", "pal.avi", {720, 576}, 25, {"-c:v", "mpeg4"}, false, {720, 576}}};
INSTANTIATE_TEST_SUITE_P(Sources, Conversion, testing::ValuesIn(ConvertCases), [](const auto &info) {
    return std::string(info.param.name);
});

TEST_F(VideoEditTest, NamesThatLookLikeUrlsAreFiles)
{
    // Relative names, as ffmpeg would read "take:" as a protocol.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    ASSERT_TRUE(QFile::copy(path("silent.avi"), "take:1.avi"));
    queue("take:1.avi");
    EXPECT_TRUE(convert("concat:temp.mpg"));
    QDir::setCurrent(previous);
    EXPECT_EQ(testmedia::firstStream(testmedia::probe(work.filePath("concat:temp.mpg")),
                                     "video")["width"]
                      .toInt(),
              176);
}

TEST_F(VideoEditTest, StopEndsTheChildAndKeepsThePreviousOutput)
{
    const QString output = work.filePath("temp.mpg");
    ASSERT_TRUE(writeFile(output, "previous run"));
    queue(path("av.avi"));
    ASSERT_TRUE(component.SetOutputFile(output));
    ASSERT_TRUE(component.StartConversion());
    ASSERT_FALSE(testmedia::childProcesses().isEmpty());
    component.StopConversion();
    EXPECT_TRUE(QTest::qWaitFor([] { return testmedia::childProcesses().isEmpty(); }, 30000));
    // The partial file goes once the component has seen its child end.
    const auto files = [&] {
        return QDir(work.path()).entryList(QDir::Files);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return files() == QStringList {"temp.mpg"}; }, 30000))
            << files().join(", ").toStdString();
    EXPECT_EQ(finished.count() + failed.count(), 0) << "no notification after a stop";
    QFile old(output);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "previous run");
}

TEST_F(VideoEditTest, ConverterThatFailsOrCannotStartReportsFailure)
{
    for (const QString &program : {QString("/bin/false"), work.filePath("no-ffmpeg-here")}) {
        VideoEditComponent broken(program);
        QSignalSpy finished(&broken, &VideoEdit::ConversionFinished);
        QSignalSpy failed(&broken, &VideoEdit::ConversionFailed);
        double length = 1;
        broken.setOutputWidth(320);
        broken.setOutputHeight(240);
        ASSERT_TRUE(broken.AddVideoClip(path("av.avi"), 0.0, length, 2));
        ASSERT_TRUE(broken.SetOutputFile(work.filePath("temp.mpg")));
        if (broken.StartConversion()) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return failed.count() == 1; }, 10000));
        }
        EXPECT_EQ(finished.count(), 0) << qPrintable(program);
        EXPECT_FALSE(QFile::exists(work.filePath("temp.mpg")));
    }
}

// The front-end is called ffmpeg too; neither it nor a link to it is taken
// for the system ffmpeg.
TEST(FindSystemFfmpeg, SkipsTheApplicationFolder)
{
    QTemporaryDir appFolder;
    QTemporaryDir linkFolder;
    const QString frontEnd = appFolder.filePath("ffmpeg");
    ASSERT_TRUE(QFile::copy(testChildProgram(), frontEnd));
    ASSERT_TRUE(QFile::link(frontEnd, linkFolder.filePath("ffmpeg")));
    const QByteArray original = qgetenv("PATH");
    const QString system = media::findSystemFfmpeg({});
    ASSERT_FALSE(system.isEmpty());
    qputenv("PATH", (appFolder.path() + ':' + linkFolder.path() + ':').toLocal8Bit() + original);
    EXPECT_EQ(media::findSystemFfmpeg({}), frontEnd);
    EXPECT_EQ(media::findSystemFfmpeg(appFolder.path()), system);
    qputenv("PATH", original);
}

struct ReportCase
{
    const char *name;
    QList<QByteArray> chunks;
    std::vector<double> positions;
};

class ProgressReport : public testing::TestWithParam<ReportCase>
{ };

// ffmpeg's "-progress" report, as it arrives from a pipe in pieces.
TEST_P(ProgressReport, GivesThePositionAtEachBlockEnd)
{
    media::ProgressReader reader;
    std::vector<double> positions;
    for (const QByteArray &chunk : GetParam().chunks)
        for (const double position : reader.feed(chunk))
            positions.push_back(position);
    EXPECT_EQ(positions, GetParam().positions);
}

const ReportCase ReportCases[]
        = {{"BlockInPieces", {"frame=3\nout_time_us=15", "00000\r\nprogress=continue\n"}, {1.5}},
           {"NoPositionYet", {"out_time_us=N/A\nprogress=continue\n"}, {}},
           {"BlankLines", {"\n\nout_time_us=1000000\n\nprogress=continue\n"}, {1.0}},
           {"UnreadableTimeKeepsTheLastOne",
            {"out_time_us=2000000\nprogress=continue\nout_time_us=-5\nprogress=end\n"},
            {2.0, 2.0}},
           {"OverLongLineIsDropped",
            {QByteArray(5000, ' '),
             "out_time_us=5000000\nprogress=continue\n",
             "out_time_us=3000000\nprogress=end\n"},
            {3.0}}};
INSTANTIATE_TEST_SUITE_P(Reports,
                         ProgressReport,
                         testing::ValuesIn(ReportCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
