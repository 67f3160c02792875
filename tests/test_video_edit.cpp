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

#include <csignal>

using media::VideoEdit;
using media::VideoEditComponent;

namespace {

class VideoEditTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_dir->isValid());
        testmedia::VideoSpec sourceVideo;
        sourceVideo.seconds = 2;
        ASSERT_TRUE(testmedia::makeVideo(path("av.avi"), sourceVideo));
        sourceVideo = {};
        sourceVideo.seconds = 1;
        sourceVideo.width = 176;
        sourceVideo.height = 144;
        sourceVideo.audio = false;
        ASSERT_TRUE(testmedia::makeVideo(path("silent.avi"), sourceVideo));
        sourceVideo = {};
        sourceVideo.seconds = 1;
        sourceVideo.extraOutputOptions = {"-vn"};
        ASSERT_TRUE(testmedia::makeVideo(path("audio-only.avi"), sourceVideo));
        sourceVideo = {};
        sourceVideo.audio = false;
        sourceVideo.extraOutputOptions = {"-frames:v", "0"};
        ASSERT_TRUE(testmedia::makeVideo(path("zero.avi"), sourceVideo));
        sourceVideo = {};
        sourceVideo.seconds = 1;
        sourceVideo.turn = 90;
        ASSERT_TRUE(testmedia::makeVideo(path("portrait.mp4"), sourceVideo));
        QFile garbage(path("garbage.avi"));
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, '\x5a'));
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    static QString path(const QString &name) { return s_dir->filePath(name); }

    // Queues a whole source as the normalizer does.
    void queue(const QString &source, bool withAudio = true)
    {
        const double length = *component.GetFileDuration(source);
        component.setOutputWidth(qint16(*component.GetFileWidth(source)));
        component.setOutputHeight(qint16(*component.GetFileHeight(source)));
        component.ClearClips();
        double videoLength = length;
        ASSERT_TRUE(component.AddVideoClip(source, 0.0, videoLength, 2));
        double audioLength = length;
        if (withAudio)
            component.AddAudioClip(source, 0.0, audioLength);
    }

    // An intermediate file left by an earlier conversion.
    static void writePreviousOutput(QFile &file)
    {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("previous run");
        file.close();
    }

    // Converts what is queued into output and waits for the end; true when
    // it finished.
    bool convert(const QString &output)
    {
        if (!component.SetOutputFile(output) || !component.StartConversion())
            return false;
        const bool ended = QTest::qWaitFor([&] { return finished.count() + failed.count() > 0; },
                                           60000);
        return ended && finished.count() == 1 && failed.count() == 0;
    }

    VideoEditComponent component {media::findSystemFfmpeg(applicationFolderUnderTest())};
    QSignalSpy progress {&component, &VideoEdit::ConversionProgress};
    QSignalSpy finished {&component, &VideoEdit::ConversionFinished};
    QSignalSpy failed {&component, &VideoEdit::ConversionFailed};
    QTemporaryDir work;

    static inline std::unique_ptr<QTemporaryDir> s_dir;
};

} // namespace

TEST_F(VideoEditTest, ProbesLengthAndFrameSize)
{
    EXPECT_NEAR(*component.GetFileDuration(path("av.avi")), 2.0, 0.1);
    EXPECT_EQ(component.GetFileWidth(path("av.avi")), 320);
    EXPECT_EQ(component.GetFileHeight(path("av.avi")), 240);
    EXPECT_NEAR(*component.GetFileDuration(path("silent.avi")), 1.0, 0.1);
    EXPECT_EQ(component.GetFileWidth(path("silent.avi")), 176);
    EXPECT_EQ(component.GetFileHeight(path("silent.avi")), 144);
    EXPECT_EQ(component.GetFileWidth(path("portrait.mp4")), 240) << "as shown on screen";
    EXPECT_EQ(component.GetFileHeight(path("portrait.mp4")), 320);
    EXPECT_EQ(component.GetFileWidth(path("audio-only.avi")), 0);
    EXPECT_EQ(component.GetFileDuration(path("zero.avi")), 0.0);
}

TEST_F(VideoEditTest, UnreadableSourcesFailOutrightAndEmptyPathAnswersZero)
{
    for (const QString &source : {path("garbage.avi"), path("missing.avi")}) {
        EXPECT_FALSE(component.GetFileDuration(source)) << qPrintable(source);
        EXPECT_FALSE(component.GetFileWidth(source));
        EXPECT_FALSE(component.GetFileHeight(source));
        double length = 2;
        EXPECT_FALSE(component.AddVideoClip(source, 0.0, length, 2));
        EXPECT_FALSE(component.AddAudioClip(source, 0.0, length));
        EXPECT_EQ(component.GetTimelineDuration(), 0.0);
    }
    EXPECT_EQ(component.GetFileDuration(""), 0.0);
    EXPECT_EQ(component.GetFileWidth(""), 0);
}

TEST_F(VideoEditTest, TimelineHoldsQueuedVideoOnly)
{
    double length = 9.5;
    ASSERT_TRUE(component.AddVideoClip(path("av.avi"), 0.0, length, 2));
    EXPECT_NEAR(length, 2.0, 0.1) << "the clip is cut to what the source holds";
    EXPECT_EQ(component.GetTimelineDuration(), length);
    double audioLength = 2;
    EXPECT_TRUE(component.AddAudioClip(path("av.avi"), 0.0, audioLength));
    EXPECT_FALSE(component.AddAudioClip(path("silent.avi"), 0.0, audioLength));

    component.ClearClips();
    EXPECT_EQ(component.GetTimelineDuration(), 0.0);

    for (const char *name : {"audio-only.avi", "zero.avi"}) {
        length = 1;
        EXPECT_TRUE(component.AddVideoClip(path(name), 0.0, length, 2)) << name;
        EXPECT_EQ(component.GetTimelineDuration(), 0.0) << name;
    }
    length = 1;
    EXPECT_TRUE(component.AddAudioClip(path("audio-only.avi"), 0.0, length));
}

TEST_F(VideoEditTest, OutputFileMustBeWritableAndNeverTheSource)
{
    QFile file(work.filePath("plain-file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(component.SetOutputFile(work.filePath("plain-file/temp.mpg")));
    EXPECT_FALSE(component.SetOutputFile(work.filePath("no-such-folder/temp.mpg")));
    EXPECT_FALSE(component.SetOutputFile(work.path()));
    EXPECT_FALSE(component.SetOutputFile(""));
    EXPECT_FALSE(component.StartConversion()) << "nothing is written without an output file";

    queue(path("av.avi"));
    EXPECT_FALSE(component.SetOutputFile(path("av.avi")));
    EXPECT_TRUE(component.SetOutputFile(work.filePath("temp.mpg")));
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList {"plain-file"})
            << "accepting the output creates nothing yet";
}

TEST_F(VideoEditTest, ConvertsToMpegProgramStreamWithProgress)
{
    const QString output = work.filePath("temp.mpg");
    QFile old(output);
    writePreviousOutput(old);

    queue(path("av.avi"));
    ASSERT_TRUE(convert(output));

    ASSERT_FALSE(progress.isEmpty());
    double last = -1;
    for (const QList<QVariant> &report : progress) {
        EXPECT_GE(report[0].toDouble(), last);
        EXPECT_EQ(report[1].toDouble(), component.GetTimelineDuration());
        last = report[0].toDouble();
    }
    EXPECT_NEAR(last, 2.0, 0.1);

    const QJsonObject probed = testmedia::probe(output);
    EXPECT_EQ(probed["format"].toObject()["format_name"].toString(), "mpeg");
    EXPECT_NEAR(probed["format"].toObject()["duration"].toString().toDouble(), 2.0, 0.15);
    const QJsonObject video = testmedia::firstStream(probed, "video");
    EXPECT_EQ(video["codec_name"].toString(), "mpeg2video");
    EXPECT_EQ(video["width"].toInt(), 320);
    EXPECT_EQ(video["height"].toInt(), 240);
    EXPECT_EQ(video["r_frame_rate"].toString(), "25/1");
    const QJsonObject audio = testmedia::firstStream(probed, "audio");
    EXPECT_EQ(audio["codec_name"].toString(), "mp2");
    EXPECT_EQ(audio["sample_rate"].toString(), "44100");
    EXPECT_EQ(audio["bit_rate"].toString(), "128000");
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList {"temp.mpg"});

    component.StopConversion();
    component.StopConversion();
    EXPECT_EQ(finished.count(), 1);
}

struct SizeCase
{
    const char *name;
    media::FrameSize stored;
    double turn; // degrees the decoder turns the picture
    media::FrameSize intermediate;
};

class IntermediateSize : public testing::TestWithParam<SizeCase>
{ };

TEST_P(IntermediateSize, FitsTheLargestOutputFrameAsShownOnScreen)
{
    const SizeCase c = GetParam();
    EXPECT_EQ(media::intermediateFrameSize(media::displayedSize(c.stored, c.turn)), c.intermediate);
}

INSTANTIATE_TEST_SUITE_P(
        Sources,
        IntermediateSize,
        testing::Values(SizeCase {"small", {320, 240}, 0, {320, 240}},
                        SizeCase {"exact_fit", {768, 576}, 0, {768, 576}},
                        SizeCase {"pal_dvd", {720, 576}, 0, {720, 576}},
                        SizeCase {"wide_hd", {1920, 1080}, 0, {768, 432}},
                        SizeCase {"cinema_4k", {4096, 2160}, 0, {768, 406}},
                        SizeCase {"tall", {1080, 1920}, 0, {324, 576}},
                        SizeCase {"phone_turned_right", {1920, 1080}, 90, {324, 576}},
                        SizeCase {"phone_turned_left", {1920, 1080}, -90, {324, 576}},
                        SizeCase {"upside_down", {1920, 1080}, 180, {768, 432}},
                        SizeCase {"odd_small", {175, 143}, 0, {176, 144}},
                        SizeCase {"odd_hd", {1279, 719}, 0, {768, 432}},
                        SizeCase {"one_pixel", {1, 1}, 0, {2, 2}},
                        SizeCase {"no_video", {0, 0}, 0, {0, 0}}),
        [](const auto &info) { return std::string(info.param.name); });

// A source whose video may already be what the intermediate holds.
struct CopyCase
{
    const char *name;
    const char *file;
    int width;
    int height;
    double fps;
    QStringList codecs; // ffmpeg options for the source's streams
    bool copied;
    media::FrameSize intermediate;
};

class CopyPath : public VideoEditTest, public testing::WithParamInterface<CopyCase>
{ };

// The video is copied only when the copy meets every promised setting; the
// intermediate meets them either way, and its progress is reported.
TEST_P(CopyPath, CopiesOnlyVideoThatMeetsTheOutputSettings)
{
    const CopyCase c = GetParam();
    testmedia::VideoSpec spec;
    spec.seconds = 1;
    spec.width = c.width;
    spec.height = c.height;
    spec.fps = c.fps;
    spec.sampleRate = 48000;
    spec.extraOutputOptions = c.codecs;
    const QString source = work.filePath(c.file);
    ASSERT_TRUE(testmedia::makeVideo(source, spec));

    const double length = *component.GetFileDuration(source);
    const media::FrameSize size = media::intermediateFrameSize(
            {*component.GetFileWidth(source), *component.GetFileHeight(source)});
    component.setOutputWidth(qint16(size.width));
    component.setOutputHeight(qint16(size.height));
    double videoLength = length;
    double audioLength = length;
    ASSERT_TRUE(component.AddVideoClip(source, 0.0, videoLength, 2));
    ASSERT_TRUE(component.AddAudioClip(source, 0.0, audioLength));
    const QString output = work.filePath("temp.mpg");
    ASSERT_TRUE(convert(output));
    EXPECT_FALSE(progress.isEmpty());

    EXPECT_EQ(testmedia::streamBytes(output, "v") == testmedia::streamBytes(source, "v"), c.copied);
    const QJsonObject probed = testmedia::probe(output);
    EXPECT_NEAR(testmedia::durationSeconds(probed), 1.0, 0.15);
    const QJsonObject video = testmedia::firstStream(probed, "video");
    EXPECT_EQ(video["width"].toInt(), c.intermediate.width);
    EXPECT_EQ(video["height"].toInt(), c.intermediate.height);
    EXPECT_EQ(video["r_frame_rate"].toString(), "25/1");
    EXPECT_EQ(video["pix_fmt"].toString(), "yuv420p");
    const QJsonObject audio = testmedia::firstStream(probed, "audio");
    EXPECT_EQ(audio["codec_name"].toString(), "mp2");
    EXPECT_EQ(audio["sample_rate"].toString(), "44100");
    EXPECT_EQ(audio["bit_rate"].toString(), "128000");
}

INSTANTIATE_TEST_SUITE_P(
        Sources,
        CopyPath,
        testing::Values(
                CopyCase {"pal_dvd", "pal.vob", 720, 576, 25, {"-target", "pal-dvd"}, true, {720, 576}},
                CopyCase {"video_cd",
                          "vcd.dat",
                          352,
                          288,
                          25,
                          {"-target", "pal-vcd"},
                          true,
                          {352, 288}},
                CopyCase {"ntsc_dvd",
                          "ntsc.vob",
                          720,
                          480,
                          29.97,
                          {"-target", "ntsc-dvd"},
                          false,
                          {720, 480}},
                CopyCase {"hd_size", "hd.vob", 1920, 1080, 25, {"-c:a", "ac3"}, false, {768, 432}},
                CopyCase {"mpeg4", "pal.avi", 720, 576, 25, {"-c:v", "mpeg4"}, false, {720, 576}}),
        [](const auto &info) { return std::string(info.param.name); });

TEST_F(VideoEditTest, NamesThatLookLikeUrlsAreFiles)
{
    // Relative names, as ffmpeg would read "take:" as a protocol.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    const QString source = "take:1.avi";
    ASSERT_TRUE(QFile::copy(path("silent.avi"), source));
    const QString output = "concat:temp.mpg";
    queue(source);
    ASSERT_TRUE(convert(output));
    EXPECT_EQ(testmedia::firstStream(testmedia::probe(work.filePath(output)), "video")["width"]
                      .toInt(),
              176);
    QDir::setCurrent(previous);
}

TEST_F(VideoEditTest, StopEndsTheChildAndKeepsThePreviousOutput)
{
    const QString output = work.filePath("temp.mpg");
    QFile old(output);
    writePreviousOutput(old);

    queue(path("av.avi"));
    ASSERT_TRUE(component.SetOutputFile(output));
    ASSERT_TRUE(component.StartConversion());
    component.StopConversion();
    QTest::qWait(300);
    EXPECT_EQ(finished.count() + failed.count(), 0) << "no notification after a stop";
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "previous run");
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList {"temp.mpg"});
}

TEST_F(VideoEditTest, StopEscalatesToKillForAChildThatIgnoresQuitAndTerminate)
{
    const QString program = work.filePath("stubborn");
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\ntrap '' TERM\necho $$ > '%1'\n"
                         "while true; do sleep 0.1; done\n")
                         .arg(work.filePath("pid"))
                         .toLocal8Bit());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    VideoEditComponent stubborn(program);
    double length = 1;
    stubborn.setOutputWidth(320);
    stubborn.setOutputHeight(240);
    ASSERT_TRUE(stubborn.AddVideoClip(path("av.avi"), 0.0, length, 2));
    ASSERT_TRUE(stubborn.SetOutputFile(work.filePath("temp.mpg")));
    ASSERT_TRUE(stubborn.StartConversion());
    QFile pidFile(work.filePath("pid"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pidFile.size() > 0; }, 10000));
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t pid = pid_t(pidFile.readAll().trimmed().toInt());
    ASSERT_GT(pid, 0);

    // The stop returns at once; the child ends on the component's timers.
    stubborn.StopConversion();
    EXPECT_EQ(::kill(pid, 0), 0) << "still asked to quit";
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(pid, 0) != 0; }, 30000)) << "the child is gone";
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
            EXPECT_TRUE(QTest::qWaitFor([&] { return failed.count() == 1; }, 10000))
                    << qPrintable(program);
        }
        EXPECT_EQ(finished.count(), 0);
        EXPECT_FALSE(QFile::exists(work.filePath("temp.mpg")));
    }
}

TEST(FindSystemFfmpeg, SkipsTheApplicationFolder)
{
    QTemporaryDir appFolder;
    const QString frontEnd = appFolder.filePath("ffmpeg");
    QFile script(frontEnd);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexit 0\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QTemporaryDir linkFolder;
    ASSERT_TRUE(QFile::link(frontEnd, linkFolder.filePath("ffmpeg")));

    const QByteArray original = qgetenv("PATH");
    const QString system = media::findSystemFfmpeg({});
    ASSERT_FALSE(system.isEmpty());
    qputenv("PATH", (appFolder.path() + ':' + linkFolder.path() + ':').toLocal8Bit() + original);
    EXPECT_EQ(media::findSystemFfmpeg({}), frontEnd);
    EXPECT_EQ(media::findSystemFfmpeg(appFolder.path()), system);
    EXPECT_FALSE(media::findSystemFfmpeg(applicationFolderUnderTest())
                         .startsWith(applicationFolderUnderTest()));
    qputenv("PATH", original);
}

namespace {

struct ReportCase
{
    const char *name;
    QList<QByteArray> chunks;
    std::vector<double> positions;
};

std::ostream &operator<<(std::ostream &out, const ReportCase &c)
{
    return out << c.name;
}

class ProgressReport : public testing::TestWithParam<ReportCase>
{ };

} // namespace

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

INSTANTIATE_TEST_SUITE_P(
        Reports,
        ProgressReport,
        testing::Values(
                ReportCase {"BlockInPieces",
                            {"frame=3\nout_time_us=15", "00000\r\nprogress=continue\n"},
                            {1.5}},
                ReportCase {"NoPositionYet", {"out_time_us=N/A\nprogress=continue\n"}, {}},
                ReportCase {
                        "UnreadableTimeKeepsTheLastOne",
                        {"out_time_us=2000000\nprogress=continue\nout_time_us=-5\nprogress=end\n"},
                        {2.0, 2.0}},
                ReportCase {"OverLongLineIsDropped",
                            {QByteArray(5000, ' '),
                             "out_time_us=5000000\nprogress=continue\n",
                             "out_time_us=3000000\nprogress=end\n"},
                            {3.0}}),
        [](const testing::TestParamInfo<ReportCase> &info) { return info.param.name; });
