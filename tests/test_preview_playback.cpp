// Real playback of generated FLV files on the player tab, through the
// host's file request, with Qt Multimedia's own backend.
#include "support/PlayerTab.h"
#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtTest>

namespace {

constexpr int PlaybackWaitMs = 15000;

} // namespace

class PreviewPlaybackTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_flv;
    QString m_h264; // made by the program's own tools, as a job makes it

    struct Tab : PlayerTab
    {
        int frames = 0;
        QSize frameSize;

        Tab()
        {
            window.resize(480, 400);
            window.show();
            QObject::connect(player()->videoSink(),
                             &QVideoSink::videoFrameChanged,
                             &window,
                             [this](const QVideoFrame &frame) {
                                 if (frame.isValid()) {
                                     ++frames;
                                     frameSize = frame.size();
                                 }
                             });
        }
    };

    static bool waitPlaying(Tab &tab, qint64 minimumPositionMs, int minimumFrames)
    {
        return QTest::qWaitFor(
                [&] {
                    return tab.media()->position() >= minimumPositionMs
                            && tab.frames >= minimumFrames;
                },
                PlaybackWaitMs);
    }

    static QString describe(const Tab &tab)
    {
        if (!tab.media())
            return "no file loaded";
        return QString("frames %1, position %2 ms, status %3, error \"%4\", message \"%5\"")
                .arg(tab.frames)
                .arg(tab.media()->position())
                .arg(int(tab.media()->mediaStatus()))
                .arg(tab.media()->errorString(), tab.player()->messageText());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_flv = m_dir.filePath("clip.flv");
        testmedia::VideoSpec video;
        video.seconds = 3;
        video.extraOutputOptions = {"-c:v", "flv1", "-c:a", "libmp3lame", "-ar", "44100"};
        QVERIFY(testmedia::makeVideo(m_flv, video));
        const QJsonObject probed = testmedia::probe(m_flv);
        QCOMPARE(testmedia::firstStream(probed, "video")["codec_name"].toString(), "flv1");
        QCOMPARE(testmedia::firstStream(probed, "audio")["codec_name"].toString(), "mp3");

        const QString app = applicationFolderUnderTest();
        m_h264 = m_dir.filePath("h264.flv");
        const QStringList options = QString("-b 350kb/s -r 25 -s 320x240 -ar 44100Hz -ab 64 -ac 2 "
                                            "-vcodec h264 -acodec aac")
                                            .split(' ');
        const testmedia::ProcessResult encode = testmedia::run(app + "/ffmpeg",
                                                               QStringList {"-i", m_flv} + options
                                                                       + QStringList {m_h264});
        QVERIFY2(encode.exitCode == 0, encode.errors.right(2000).constData());
        QCOMPARE(testmedia::run(app + "/flvmdi", {m_h264}).exitCode, 0);
        QCOMPARE(testmedia::firstStream(testmedia::probe(m_h264), "video")["codec_name"].toString(),
                 "h264");
    }

    void aChosenFlvPlaysAndAdvances_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Sorenson H.263 + MP3") << "clip.flv";
        QTest::newRow("H.264 + AAC") << "h264.flv";
    }

    void aChosenFlvPlaysAndAdvances()
    {
        QFETCH(QString, name);
        Tab tab;
        tab.open(m_dir.filePath(name));
        QVERIFY2(waitPlaying(tab, 1300, 20), qPrintable(describe(tab)));
        QCOMPARE(tab.frameSize, QSize(320, 240));
        QVERIFY(!tab.player()->showingMessage());
        QVERIFY2(tab.media()->duration() > 2500 && tab.media()->duration() < 3500,
                 qPrintable(QString::number(tab.media()->duration())));
        QVERIFY2(tab.player()->timeText().endsWith(" / 0:03"), qPrintable(tab.player()->timeText()));
        QVERIFY2(!tab.player()->timeText().startsWith("0:00 "),
                 qPrintable(tab.player()->timeText()));
    }

    void pauseHoldsThePositionAndPlayResumes()
    {
        Tab tab;
        tab.open(m_flv);
        QVERIFY2(waitPlaying(tab, 300, 3), qPrintable(describe(tab)));
        auto *play = tab.player()->findChild<QPushButton *>("cmdPlay");
        QTest::mouseClick(play, Qt::LeftButton);
        QTRY_COMPARE(tab.media()->playbackState(), QMediaPlayer::PausedState);
        const qint64 held = tab.media()->position();
        const int framesHeld = tab.frames;
        QTest::qWait(400);
        QVERIFY2(tab.media()->position() - held < 100, qPrintable(describe(tab)));
        QVERIFY(tab.frames - framesHeld <= 1);
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY2(waitPlaying(tab, held + 300, framesHeld + 5), qPrintable(describe(tab)));
    }

    void thePositionSliderSeeks()
    {
        Tab tab;
        tab.open(m_flv);
        auto *slider = tab.player()->findChild<QSlider *>("sldPosition");
        // The slider works once the length is known and jumps are possible.
        QVERIFY2(QTest::qWaitFor([&] { return slider->isEnabled(); }, PlaybackWaitMs),
                 qPrintable(describe(tab)));
        QCOMPARE(slider->maximum(), tab.media()->duration());
        QTest::mouseClick(tab.player()->findChild<QPushButton *>("cmdPlay"), Qt::LeftButton);
        QTRY_COMPARE(tab.media()->playbackState(), QMediaPlayer::PausedState);

        // While paused only a seek moves the position: back to the start,
        // then two steps of a second each.
        QTest::keyClick(slider, Qt::Key_Home);
        QVERIFY2(QTest::qWaitFor([&] { return tab.media()->position() < 200; }, 5000),
                 qPrintable(describe(tab)));
        QTest::keyClick(slider, Qt::Key_Right);
        QTest::keyClick(slider, Qt::Key_Right);
        QVERIFY2(QTest::qWaitFor([&] { return tab.media()->position() >= 1900; }, 5000),
                 qPrintable(describe(tab)));
        QCOMPARE(tab.media()->playbackState(), QMediaPlayer::PausedState);
    }

    void anUnplayableFileShowsTheErrorInTheTab_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("noise") << true << QByteArray(40000, '\x5a');
        QTest::newRow("empty") << true << QByteArray();
        QTest::newRow("truncated header") << true << QByteArray("FLV\x01\x05", 5);
        QTest::newRow("gone after the choice") << false << QByteArray();
    }

    void anUnplayableFileShowsTheErrorInTheTab()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        const QString bad = m_dir.filePath("bad.flv");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        if (!exists)
            QVERIFY(file.remove());

        Tab tab;
        tab.open(bad);
        QVERIFY2(QTest::qWaitFor([&] { return tab.player()->showingMessage(); }, PlaybackWaitMs),
                 qPrintable(describe(tab)));
        const QString message = tab.player()->messageText();
        QVERIFY2(message.contains("bad.flv"), qPrintable(message));
        // The player's own reason, or the tab's when the player gave none.
        QVERIFY2(message.contains(tab.media()->errorString()), qPrintable(message));
        QVERIFY2(message.section("\n\n", 1).size() > 10, qPrintable(message));
        QCOMPARE(tab.frames, 0);

        // The tab keeps working: the next file plays.
        tab.open(m_flv);
        QVERIFY2(waitPlaying(tab, 300, 3), qPrintable(describe(tab)));
        QVERIFY(!tab.player()->showingMessage());
    }
};

QTEST_MAIN(PreviewPlaybackTest)
#include "test_preview_playback.moc"
