// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgressStrip.h"
#include "app/ProgressWindow.h"
#include "doubles/Doubles.h"
#include "media/VideoEditArguments.h"
#include "media/VideoEditComponent.h"
#include "pipeline/Normalization.h"

#include "support/DataRows.h"
#include "support/TestMedia.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

using namespace pipeline;
using media::VideoEdit;
using Shown = platform::RecordingMessageBoxes::Shown;

// Sources become the intermediate through the normalizer and the real
// converter; the media folder is the working folder, so names are relative.
class NormalizationTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_media;
    std::unique_ptr<QTemporaryDir> m_appFolder;
    std::unique_ptr<media::VideoEditComponent> m_component;
    platform::RecordingMessageBoxes m_boxes;
    std::unique_ptr<NormalizeStage> m_normalizer;
    QList<QPointer<ProgressWindow>> m_windows;
    std::function<void()> m_beforeWindow; // runs while the window is made
    bool m_shownAfterTheEnd = false;

    QString intermediate() const { return m_appFolder->filePath("temp.mpg"); }
    // Runs one normalization to its end.
    NormalizationEnd normalize(const QString &source, const QString &output)
    {
        QSignalSpy ended(m_normalizer.get(), &NormalizeStage::ended);
        m_normalizer->start(source, output);
        return ended.wait(60000) ? ended.first().first().value<NormalizationEnd>()
                                 : NormalizationEnd::Failed;
    }
    QStringList appFiles() const { return QDir(m_appFolder->path()).entryList(QDir::Files); }
    // A new application folder, message boxes and converter.
    void reset(QString program = {})
    {
        m_normalizer.reset();
        m_component.reset();
        QVERIFY2(testmedia::childProcesses().isEmpty(), "no converter left running");
        if (program.isEmpty())
            program = media::findSystemFfmpeg(applicationFolderUnderTest());
        m_appFolder = std::make_unique<QTemporaryDir>();
        m_boxes = {};
        m_windows.clear();
        m_shownAfterTheEnd = false;
        m_component = std::make_unique<media::VideoEditComponent>(program);
        m_normalizer = std::make_unique<NormalizeStage>(*m_component, &m_boxes, [this] {
            auto window = std::make_unique<ProgressWindow>();
            m_windows.append(window.get());
            if (const auto before = std::exchange(m_beforeWindow, {})) {
                before();
                QTimer::singleShot(0, window.get(), [this, w = window.get()] {
                    m_shownAfterTheEnd = w->isVisible();
                    w->closeWindow();
                });
            }
            return window;
        });
    }

private Q_SLOTS:
    void copyDecision_data() { addDataRows("normalization.txt", "copy"); }
    // Whether a source's video goes into the intermediate as it is, from what the probe found.
    void copyDecision()
    {
        QFETCH(QStringList, row);
        const auto rate = [](const QString &text) {
            return media::FrameRate {text.section('/', 0, 0).toInt(), text.section('/', 1).toInt()};
        };
        media::MediaInfo source;
        source.videoCodec = row[1];
        source.reorderedFrames = row[2].toInt();
        source.realFrameRate = rate(row[3]);
        source.averageFrameRate = rate(row[4]);
        source.headFrames = row[5].section(' ', 0, 0).toInt();
        source.headSeconds = row[5].section(' ', 1).toDouble();
        source.pixelFormat = row[6];
        source.rotation = row[7].toDouble();
        source.coded = {row[8].section('x', 0, 0).toInt(), row[8].section('x', 1).toInt()};
        const media::OutputSettings output {.format = row[9].toInt(), .width = 320, .height = 240};
        const media::ClipSource clip {.start = row[10].toDouble()};
        QCOMPARE(media::videoCopyable(source, clip, output) ? "copied" : "encoded", row[11]);
    }

    void initTestCase()
    {
        using testmedia::makeVideo;
        QVERIFY(QDir::setCurrent(m_media.path()));
        // Cancel needs a conversion still running after its first report.
        QVERIFY(makeVideo("long.avi", {3, 640, 480}));
        QVERIFY(makeVideo(m_media.filePath("take:1.avi"), {1, 176, 144, 25, false}));
        QVERIFY(makeVideo("zero.avi", {.extraOutputOptions = {"-t", "0"}}));
        QVERIFY(makeVideo("audio-only.avi", {.seconds = 1, .extraOutputOptions = {"-vn"}}));
        QVERIFY(testmedia::writeFile("garbage.avi", QByteArray(4096, 'Z')));
        QVERIFY(QFile::link(testChildProgram(), m_media.filePath("chatty")));
    }
    void init() { reset(); }
    void cleanup() { reset(); }

    // A conversion starts only with a video clip: sound alone starts none and writes nothing.
    void startsOnlyWithAVideoClip()
    {
        double length = 1e9; // as much as there is
        m_component->setOutputWidth(320);
        m_component->setOutputHeight(240);
        QVERIFY(m_component->AddVideoClip("long.avi", 0, length, 0)
                && m_component->AddAudioClip("audio-only.avi", 0, length));
        QVERIFY(!m_component->SetOutputFile("long.avi")
                && !m_component->SetOutputFile("audio-only.avi"));
        m_component->ClearClips(); // both gone, as if never added: neither file is held now
        QVERIFY(m_component->SetOutputFile("audio-only.avi")
                && m_component->SetOutputFile(intermediate()));
        QVERIFY(m_component->AddAudioClip("long.avi", 0, length) && length > 0);
        QVERIFY(!m_component->StartConversion() && testmedia::childProcesses().isEmpty());
        QCOMPARE(appFiles(), QStringList());
        QVERIFY(m_component->AddVideoClip("long.avi", 0, length, 0) && length > 0);
        QVERIFY(m_component->StartConversion() && !testmedia::childProcesses().isEmpty());
        m_component->StopConversion();
    }

    // An MPEG-2 program stream at 25 fps with 44.1 kHz MP2 audio running forward replaces the
    // previous intermediate, whatever the source; its video is copied only when the copy meets
    // all of those, and shows as on screen. Progress runs forward to the end; the window goes.
    void conversions_data() { addDataRows("normalization.txt", "conversions"); }
    void conversions()
    {
        QFETCH(QStringList, row);
        const QString file = row[0];
        const QStringList shape = row[1].split(' '), side = row[4].split('x');
        const QSize size(side[0].toInt(), side[1].toInt()); // of the intermediate
        const int turn = row[5].toInt();
        testmedia::VideoSpec made {shape[0].toDouble(),
                                   shape[1].toInt(),
                                   shape[2].toInt(),
                                   shape[3].toDouble()};
        made.sampleRate = 48000;
        made.turn = turn;
        const QStringList tracks = row.value(6, "1:-1").split(':');
        std::tie(made.audioTracks, made.defaultTrack) = std::pair(tracks[0].toInt(),
                                                                  tracks[1].toInt());
        // The source's channels, and those the intermediate must have.
        const QStringList channels = row.value(7, made.audioTracks > 1 ? "1:1" : "2:2").split(':');
        made.channels = channels[0].toInt();
        // The stored picture's upper half is white.
        made.extraOutputOptions = QStringList {"-vf",
                                               "drawbox=w=iw:h=ih/2:color=white:t=fill,"
                                               "drawbox=y=ih/2:w=iw:h=ih/2:color=black:t=fill"}
                + row[2].split(' ', Qt::SkipEmptyParts);
        if (const qsizetype piped = made.extraOutputOptions.indexOf("piped"); piped >= 0)
            made.pipedFormat = made.extraOutputOptions.takeAt(piped + 1);
        made.extraOutputOptions.removeAll("piped");
        QVERIFY(testmedia::makeVideo(m_media.filePath(file), made));
        const double seconds = made.seconds;
        const QString output = intermediate();
        QVERIFY(testmedia::writeFile(output, "previous run"));
        QSignalSpy progress(m_component.get(), &VideoEdit::ConversionProgress);
        QCOMPARE(normalize(file, output), NormalizationEnd::Ready);
        QCOMPARE(m_boxes.shown(), QList<Shown> {});
        QVERIFY2(m_windows.size() == 1 && !m_windows.first(), "the window is gone");
        QCOMPARE(appFiles(), QStringList {"temp.mpg"});
        double last = -1;
        for (const QList<QVariant> &report : std::as_const(progress)) {
            QVERIFY(report[0].toDouble() >= last && qAbs(report[1].toDouble() - seconds) < 0.1);
            last = report[0].toDouble();
        }
        QVERIFY(!progress.isEmpty() // the end reaches the whole length
                && last >= progress.last()[1].toDouble() && last < seconds + 0.1);
        // A copy holds the source's packets, with the stream's headers (a few dozen bytes) repeated
        // before key frames where the source kept them apart (MP4, MOV).
        const qint64 added = testmedia::streamBytes(output, "v")
                - testmedia::streamBytes(file, "v");
        const bool apart = file.endsWith(".mp4") || file.endsWith(".mov");
        QCOMPARE(added == 0 || (apart && added > 0 && added <= 64 * seconds * 25),
                 row[3] == "copied");
        const QJsonObject probed = testmedia::probe(output);
        QVERIFY(qAbs(testmedia::durationSeconds(probed) - seconds) < 0.15);
        QVERIFY2(testmedia::peakDecibels(output) > -30,
                 "the default track's sound, else the first's");
        const QJsonObject video = testmedia::firstStream(probed, "video");
        const QJsonObject audio = testmedia::firstStream(probed, "audio");
        QCOMPARE(QSize(video["width"].toInt(), video["height"].toInt()), size);
        QCOMPARE(audio["channels"].toInt(), channels[1].toInt());
        const QString found = probed["format"].toObject()["format_name"].toString() + ' '
                + testmedia::fields(video, {"codec_name", "r_frame_rate", "pix_fmt"}, u' ') + ' '
                + testmedia::fields(audio, {"codec_name", "sample_rate", "bit_rate"}, u' ');
        const int w = size.width(), h = size.height();
        const bool copied = row[3] == "copied";
        const QString sourceCodec = testmedia::firstStream(testmedia::probe(m_media.filePath(file)),
                                                           "video")["codec_name"]
                                            .toString();
        QCOMPARE(found,
                 QString("mpeg %1 25/1 yuv420p mp2 44100 128000")
                         .arg(copied             ? sourceCodec
                                      : w == 352 ? "mpeg1video"
                                                 : "mpeg2video"));
        if (copied) { // the encoder reads the copy whole: every frame, as long as from the source
            double durations[2];
            for (const bool viaCopy : {false, true}) {
                const QString flv = m_media.filePath(viaCopy ? "copied.flv" : "direct.flv");
                const QString from = viaCopy ? output : m_media.filePath(file);
                QCOMPARE(testmedia::run(applicationFolderUnderTest() + "/ffmpeg",
                                        {"-i", from, "-s", "320x240", "-y", flv})
                                 .exitCode,
                         0);
                durations[viaCopy] = testmedia::durationSeconds(testmedia::probe(flv));
                const QString count = "-v error -count_frames -select_streams v:0 -show_entries "
                                      "stream=nb_read_frames -of csv=p=0 ";
                const auto counted = testmedia::run("ffprobe", (count + flv).split(' '));
                QCOMPARE(counted.output.trimmed().toInt(), qRound(seconds * 25));
            }
            QVERIFY2(qAbs(durations[1] - durations[0]) <= 0.04,
                     qPrintable(QString("%1 against %2").arg(durations[1]).arg(durations[0])));
        }
        // Turned a quarter clockwise, the upper half shows on the right.
        const QByteArray frame = testmedia::rgbFrame(output);
        QCOMPARE(frame.size(), 3 * w * h);
        const auto red = [&](double x, double y) {
            return quint8(frame[3 * (int(y * h) * w + int(x * w))]);
        };
        QVERIFY2(turn ? red(0.75, 0.5) > 200 && red(0.25, 0.5) < 50
                      : red(0.5, 0.25) > 200 && red(0.5, 0.75) < 50,
                 "the upper half, on the right when turned");
        const QString dts = "-v error -select_streams a:0 -show_entries packet=dts -of csv=p=0 ";
        const auto stamps = testmedia::run("ffprobe", (dts + output).split(' ')).output.split('\n');
        QVERIFY(stamps.size() > 10);
        for (qsizetype i = 1; i < stamps.size() - 1; ++i)
            QVERIFY2(stamps[i].toLongLong() > stamps[i - 1].toLongLong(), "the audio runs forward");
    }
    // What the person sees, and what is written: the source never; the previous intermediate
    // stays unless a whole new one replaces it; names that look like URLs are files.
    void normalizations_data() { addDataRows("normalization.txt", "runs"); }
    void normalizations()
    {
        QFETCH(QStringList, row);
        const QString source = row[1], action = row[2], target = row[8];
        const double seconds = row[6].toDouble();
        const bool gone = row[6] == "-"; // no intermediate left
        if (!row[9].isEmpty())
            reset(row[9].startsWith('/') ? row[9] : m_media.filePath(row[9]));
        (void) m_component->GetFileDuration("garbage.avi"); // words no later box may show
        QSignalSpy finished(m_component.get(), &VideoEdit::ConversionFinished);
        const auto waitForTheEnd = [&] {
            QVERIFY(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000));
        };
        QVERIFY(testmedia::writeFile(intermediate(), "previous run"));
        m_boxes.scriptAnswers({row[3].toInt()});
        if (action == "hold")
            m_boxes.onShow = std::bind(waitForTheEnd);
        if (action == "late")
            m_beforeWindow = waitForTheEnd;
        bool first = true;
        connect(m_component.get(), &VideoEdit::ConversionProgress, this, [&] {
            if (!std::exchange(first, false)
                || !QStringList {"cancel", "hold", "kill"}.contains(action))
                return;
            QTimer::singleShot(0, this, [&] {
                const qint64 converter = testmedia::childProcesses().value(0);
                QVERIFY2(m_windows.last() && !m_windows.last()->isClosed(), "still running");
                if (action == "kill" && converter > 0)
                    ::kill(pid_t(converter), SIGKILL);
                else
                    m_windows.last()->findChild<QPushButton *>("cmdCancel")->click();
            });
        });
        const QString output = target.isEmpty() ? intermediate() : target;
        QCOMPARE(normalize(source, output) == NormalizationEnd::Ready, row[5] == "1");
        QVERIFY(QTest::qWaitFor([] { return testmedia::childProcesses().isEmpty(); }, 30000));
        QCOMPARE(m_boxes.shown(), Shown::fromRow(row[4]));
        const QString details = m_boxes.detailsOf(0); // the converter's last words, bounded
        QVERIFY2(details.contains(row.value(10)) && (details.isEmpty() || !row.value(10).isEmpty()),
                 qPrintable(details.left(200)));
        QVERIFY(details.size() < media::VideoEditComponent::ErrorLimit + 200
                && !details.contains("line 1\n"));
        QVERIFY(m_windows.size() == row[7].toInt() && !m_shownAfterTheEnd);
        QCOMPARE(finished.count(), int(seconds > 0 || gone));
        const QJsonObject made = testmedia::probe(QFileInfo(output).absoluteFilePath());
        if (gone)
            QCOMPARE(appFiles(), QStringList());
        else if (seconds > 0)
            QVERIFY(qAbs(testmedia::durationSeconds(made) - seconds) < 0.15
                    && testmedia::firstStream(made, "audio").isEmpty() == source.startsWith("take"));
        else
            QCOMPARE(testmedia::readFile(intermediate()), "previous run");
        QCOMPARE(appFiles(), gone ? QStringList() : QStringList {"temp.mpg"});
        QVERIFY(qAbs(testmedia::durationSeconds(testmedia::probe("long.avi")) - 3) < 0.1);
    }
    // The front-end is called ffmpeg too; neither it nor a link to it is
    // taken for the system ffmpeg.
    void systemFfmpegSkipsTheApplicationFolder()
    {
        QTemporaryDir linkFolder;
        const QString frontEnd = m_appFolder->filePath("ffmpeg");
        const QString system = media::findSystemFfmpeg({});
        QVERIFY(!system.isEmpty() && QFile::copy(testChildProgram(), frontEnd)
                && QFile::link(frontEnd, linkFolder.filePath("ffmpeg")));
        const QByteArray original = qgetenv("PATH");
        qputenv("PATH",
                (m_appFolder->path() + ':' + linkFolder.path() + ':').toLocal8Bit() + original);
        const QStringList found {media::findSystemFfmpeg({}),
                                 media::findSystemFfmpeg(m_appFolder->path())};
        qputenv("PATH", original);
        QCOMPARE(found, QStringList({frontEnd, system}));
    }
    // The bar's text is rounded; bar and time left follow the progress below the length while
    // the window is open. Cancel, the close box and Escape ask to cancel; Enter does not.
    void progressWindow()
    {
        for (const auto &[percent, text] : {std::pair {0.4f, "0%"}, {50.0f, "50%"}, {99.6f, "100%"}})
            QCOMPARE(percentBarText(percent), QString(text));
        ProgressWindow window;
        auto *cancel = window.findChild<QPushButton *>("cmdCancel");
        int requests = 0;
        window.open([&] { ++requests; });
        QVERIFY(window.isVisible() && window.isModal());
        QTest::keyClick(&window, Qt::Key_Return);
        QTest::keyClick(cancel, Qt::Key_Enter);
        QCOMPARE(requests, 0);
        cancel->click();
        window.close();
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        window.ShowProgress(15, 60);
        window.ShowProgress(60, 60);
        window.closeWindow();
        window.ShowProgress(30, 60);
        QVERIFY(requests == 3 && !window.isVisible());
        QCOMPARE(window.findChild<QLabel *>("lblRemaining")->text(), "00:00:45");
        const QImage bar = window.findChild<PercentBar *>("picStatus")->image(); // navy to 25%
        QVERIFY(bar.pixel(80, 0) == PercentBarForeground && bar.pixel(81, 0) != bar.pixel(80, 0));
    }
    void strip_data() { addDataRows("normalization.txt", "strip"); }
    void strip()
    {
        QFETCH(QStringList, row);
        const bool measured = row[0] == "1";
        qint64 now = 1000;
        ProgressStrip strip(nullptr, [&] { return now; });
        strip.show();
        strip.showStage("Encoding clip.flv", measured);
        for (const QString &report : row[1].split('|')) {
            const QStringList at = report.split(' ');
            now = 1000 + at[0].toLongLong();
            strip.showProgress(at[1].toDouble(), at[2].toDouble());
        }
        const auto *bar = strip.findChild<QProgressBar *>("prgStage");
        QCOMPARE(bar->maximum(), measured ? 100 : 0);
        QCOMPARE(bar->value(), row[2].toInt());
        QCOMPARE(strip.findChild<QLabel *>("lblRemaining")->text(), row[3]);
        strip.showEnd("Cancelled");
        QVERIFY(!strip.findChild<QPushButton *>("cmdCancelStage")->isVisible() && !bar->isVisible());
    }
};

QTEST_MAIN(NormalizationTest)
#include "test_normalization.moc"
