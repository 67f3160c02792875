#include "support/TestMedia.h"
#include "support/WindowFixture.h"

#include "pipeline/StageCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::MsgBoxAnswer::No;
using platform::MsgBoxAnswer::Yes;

namespace {

const Shown EncodeOk {"ENCODING SUCCESSFUL!", 64, "Message"};
const Shown EncodeFailed {"ENCODING FAILED! POSSIBLE REASON IS A "
                          "DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE VIDEO FILE.",
                          16,
                          "Error"};
const Shown MetadataOk {"FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!", 64, "Message"};
const Shown MetadataFailed {"FLV METADATA INJECTION FAILED!", 16, "Error"};
const Shown ImagesOk {"IMAGE(S) GENERATED!", 64, "Message"};
const Shown NormalizationFailed {"NORMALIZATION FAILED! POSSIBLE REASON IS A "
                                 "DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE VIDEO FILE.",
                                 16,
                                 "Error"};

// One window, a place for sources and outputs, and what the job showed.
struct Job : WindowFixture
{
    Job()
    {
        window().Form_Load();
        boxes.onShow = [this](const Shown &) {
            commandAtMessage << ui().txtApp->text();
        };
        QObject::connect(&probe, &QTimer::timeout, &probe, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                if (modal->objectName() == "frmProgress") {
                    sawProgressWindow = true;
                    if (onProgressWindow)
                        onProgressWindow(modal);
                }
            }
        });
        probe.start(20);
        QObject::connect(&window().encodeJob(),
                         &EncodeJob::finished,
                         &probe,
                         [this](EncodeJob::End end) { ends << end; });
    }

    const MainWindowUi &ui() { return window().ui(); }

    void chooseSource(const QString &path)
    {
        dialogs.fileAnswers << path;
        QTest::mouseClick(ui().cmdInput, Qt::LeftButton);
    }

    void chooseOutputFolder(const QString &folder)
    {
        dialogs.folderAnswers << folder;
        QTest::mouseClick(ui().cmdOutput, Qt::LeftButton);
    }

    // Starts Encoding and waits for the job's end.
    void encode()
    {
        const qsizetype before = ends.size();
        QTest::mouseClick(ui().cmdEncode, Qt::LeftButton);
        if (window().encodeJob().isRunning())
            QVERIFY(QTest::qWaitFor([&] { return ends.size() > before; }, 120000));
    }

    QString app() const { return appFolder.path(); }

    // An output file of an earlier job, holding "keep me".
    QString earlierOutput(const QString &name)
    {
        QFile file(media.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write("keep me");
        return file.fileName();
    }

    QTemporaryDir media;
    QStringList commandAtMessage;
    QList<EncodeJob::End> ends;
    bool sawProgressWindow = false;
    std::function<void(QWidget *)> onProgressWindow;
    QTimer probe;
};

QString makeSource(const QTemporaryDir &dir, const QString &name, testmedia::VideoSpec video = {})
{
    const QString path = dir.filePath(name);
    QFileInfo(path).dir().mkpath(".");
    if (!testmedia::makeVideo(path, video))
        return {};
    return path;
}

QJsonObject flvMetadata(const QString &path)
{
    const auto result = testmedia::run("flvmeta", {"-D", "-j", path});
    return QJsonDocument::fromJson(result.output).object();
}

// The FLV file as the window's options asked for it.
void verifyFlv(const QString &path,
               int width,
               int height,
               int sampleRate,
               int channels,
               const QString &videoCodec = "flv1",
               const QString &audioCodec = "mp3")
{
    const QJsonObject probed = testmedia::probe(path);
    QVERIFY2(!probed.isEmpty(), qPrintable(path));
    QCOMPARE(probed["format"].toObject()["format_name"].toString(), QString("flv"));
    const QJsonObject video = testmedia::firstStream(probed, "video");
    QCOMPARE(video["codec_name"].toString(), videoCodec);
    QCOMPARE(video["width"].toInt(), width);
    QCOMPARE(video["height"].toInt(), height);
    QCOMPARE(video["r_frame_rate"].toString(), QString("25/1"));
    const QJsonObject audio = testmedia::firstStream(probed, "audio");
    if (sampleRate == 0) {
        QVERIFY(audio.isEmpty());
    } else {
        QCOMPARE(audio["codec_name"].toString(), audioCodec);
        QCOMPARE(audio["sample_rate"].toString().toInt(), sampleRate);
        QCOMPARE(audio["channels"].toInt(), channels);
    }
    QCOMPARE(testmedia::run("flvmeta", {"--check", "--quiet", path}).exitCode, 0);
    const QJsonObject meta = flvMetadata(path);
    QVERIFY(!meta["keyframes"].toObject()["times"].toArray().isEmpty());
    QCOMPARE(meta["width"].toDouble(), double(width));
    // flvmeta counts frames over the whole file's length, audio included;
    // with H.264 that length also holds the two frames the picture starts
    // late, much of a clip of two seconds.
    const double tolerance = videoCodec == "h264" ? 2.0 : 0.6;
    QVERIFY2(qAbs(meta["framerate"].toDouble() - 25.0) < tolerance,
             qPrintable(QString::number(meta["framerate"].toDouble())));
}

} // namespace

class EncodeJobTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aviIsNormalizedFirst()
    {
        Job job;
        // Blanks, an apostrophe and letters beyond ASCII in the source path.
        const QString source = makeSource(job.media, "in put/Émile's clip.avi");
        QVERIFY(!source.isEmpty());
        const QString out = job.media.filePath("out folder");
        QDir().mkpath(out);

        job.chooseSource(source);
        QCOMPARE(job.ui().lblInput->text(), source);
        QCOMPARE(job.ui().txtOutFile->text(), QString("Émile's clip.flv"));
        job.chooseOutputFolder(out);
        QCOMPARE(job.ui().lblOutDir->text(), out + "/");
        job.encode();

        QCOMPARE(job.boxes.shown(), QList<Shown>({EncodeOk, MetadataOk}));
        QVERIFY(job.sawProgressWindow);
        const QString temp = pipeline::intermediateFile(job.app(), u'/');
        QVERIFY(QFileInfo::exists(temp));
        QCOMPARE(job.commandAtMessage.first(),
                 pipeline::encodeCommand(job.app(),
                                         temp,
                                         job.window().encodeState().encoderArguments,
                                         out + "/",
                                         "Émile's clip.flv",
                                         u'/')
                         .text());
        QCOMPARE(job.ui().txtApp->text(),
                 pipeline::metadataCommand(job.app(), out + "/", "Émile's clip.flv", u'/').text());
        QVERIFY(job.ui().cmdEncode->isEnabled());
        verifyFlv(out + "/Émile's clip.flv", 400, 300, 22050, 1);
    }

    void mpgGoesStraightToTheEncoder()
    {
        Job job;
        const QString source = makeSource(job.media, "clip.mpg");
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.ui().cmbVideoWindow->setCurrentText("320x240");
        job.ui().chkDisableAudio->setChecked(true);
        job.encode();

        QCOMPARE(job.boxes.shown(), QList<Shown>({EncodeOk, MetadataOk}));
        QVERIFY(!job.sawProgressWindow);
        QVERIFY(job.commandAtMessage.first().contains(" -i \"" + source + "\" "));
        QVERIFY(!QFileInfo::exists(pipeline::intermediateFile(job.app(), u'/')));
        verifyFlv(job.media.filePath("clip.flv"), 320, 240, 0, 0);
    }

    void quickEncodeSkipsNormalization()
    {
        Job job;
        const QString source = makeSource(job.media, "clip.avi");
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.ui().chkQuickEncode->setChecked(true);
        job.ui().cmbAudioSampling->setCurrentText("44100");
        job.ui().cmbAudioChannels->setCurrentText("Stereo");
        job.ui().cmbVideoWindow->setCurrentText("240x135");
        job.encode();

        QCOMPARE(job.boxes.shown(), QList<Shown>({EncodeOk, MetadataOk}));
        QVERIFY(!job.sawProgressWindow);
        QVERIFY(job.commandAtMessage.first().contains(" -i \"" + source + "\" "));
        verifyFlv(job.media.filePath("clip.flv"), 240, 135, 44100, 2);
    }

    // With H.264 and AAC: the watermark, metadata and pictures work the same.
    void watermarkAndImagesWithFrameCountZero()
    {
        Job job;
        const QString source = makeSource(job.media, "clip.mpeg");
        job.chooseSource(source);
        QCOMPARE(job.ui().txtOutFile->text(), QString("clip.flv"));
        job.chooseOutputFolder(job.media.path());
        job.ui().cmbVideoWindow->setCurrentText("160x120");
        job.ui().chkWatermark->setChecked(true);
        job.ui().txtWatermark->setPlainText("Trovexa: 100% [test], it's \\ fine");
        job.ui().chkImage->setChecked(true);
        job.ui().txtNumImages->setText("0");
        job.ui().cmbCodec->setCurrentText("H.264 + AAC");
        job.encode();

        QCOMPARE(job.boxes.shown(), QList<Shown>({EncodeOk, MetadataOk, ImagesOk}));
        QCOMPARE(job.ui().txtNumImages->text(), QString("10"));
        QCOMPARE(job.ui().txtApp->text(),
                 pipeline::imageCommand(job.app(),
                                        source,
                                        "160x120",
                                        "10",
                                        job.media.path() + "/",
                                        u'/')
                         .text());
        QVERIFY(job.commandAtMessage.first().contains(" -vhook \""));
        QVERIFY(job.commandAtMessage.first().endsWith(" -vcodec h264 -acodec aac \""
                                                      + job.media.filePath("clip.flv") + "\""));
        verifyFlv(job.media.filePath("clip.flv"), 160, 120, 22050, 1, "h264", "aac");
        for (int i = 1; i <= 10; ++i) {
            const QImage cover(job.media.filePath(QString("cover%1.jpg").arg(i)));
            QVERIFY2(!cover.isNull(), qPrintable(QString("cover%1.jpg").arg(i)));
            QCOMPARE(cover.size(), QSize(160, 120));
        }
        QVERIFY(!QFileInfo::exists(job.media.filePath("cover11.jpg")));
    }

    void failedChecksChangeNothingElse()
    {
        Job job;
        job.ui().txtApp->setText("earlier command");
        job.ui().sstThis->setCurrentIndex(2);
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({{"NO FILE TO ENCODE!", 16, "Error"}}));
        QCOMPARE(job.ui().sstThis->currentIndex(), 0);
        QCOMPARE(job.window().focusWidget(), job.ui().cmdInput);

        const QString source = makeSource(job.media, "clip.mpg", {0.5});
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.ui().chkWatermark->setChecked(true);
        job.boxes.clear();
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({{"WATERMARK TEXT MISSING!", 16, "Error"}}));
        QCOMPARE(job.ui().sstThis->currentIndex(), 1);
        QCOMPARE(job.window().focusWidget(), job.ui().txtWatermark);

        // A cancelled folder choice empties the output folder.
        job.chooseOutputFolder(QString());
        QCOMPARE(job.ui().lblOutDir->text(), QString());
        job.ui().txtWatermark->setPlainText("x");
        job.boxes.clear();
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({{"OUTPUT FOLDER MISSING!", 16, "Error"}}));

        QCOMPARE(job.ui().txtApp->text(), QString("earlier command"));
        QCOMPARE(job.window().EncoderArguments(), QString());
        QVERIFY(job.ui().cmdEncode->isEnabled());
    }

    void cancelledSourceChoiceKeepsTheRequest()
    {
        Job job;
        const QString source = makeSource(job.media, "clip.mpg", {0.5});
        job.chooseSource(source);
        job.ui().txtOutFile->setText("mine.flv");
        job.chooseSource(QString());
        QCOMPARE(job.ui().lblInput->text(), source);
        QCOMPARE(job.ui().txtOutFile->text(), QString("mine.flv"));
        // The next dialog starts from the file chosen last.
        QCOMPARE(job.dialogs.fileRequests.last().initialPath, source);
        QCOMPARE(job.dialogs.fileRequests.last().title, QString("Open Video File to Encode"));
        QVERIFY(job.dialogs.fileRequests.last().fileMustExist);
    }

    void cancelledNormalization()
    {
        Job job;
        const QString source = makeSource(job.media, "long.avi", {30, 640, 480});
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.ui().txtApp->setText("before");
        bool clicked = false;
        job.onProgressWindow = [&](QWidget *window) {
            if (!clicked) {
                clicked = true;
                QTimer::singleShot(300, window, [window] {
                    QTest::mouseClick(window->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
                });
            }
        };
        job.boxes.scriptAnswers({Yes});
        job.encode();

        QVERIFY(clicked);
        QCOMPARE(job.boxes.shown(),
                 QList<Shown>({{"ENCODING IS IN PROGRESS. ABORT?", 36, "Confirm"}}));
        QCOMPARE(job.ui().txtApp->text(), QString("before"));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QVERIFY(!QFileInfo::exists(job.media.filePath("long.flv")));
    }

    void failedNormalization()
    {
        Job job;
        const QString source = job.media.filePath("broken.avi");
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({NormalizationFailed}));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QCOMPARE(job.ui().txtApp->text(), QString());
    }

    void failedEncodeStopsTheJob()
    {
        Job job;
        const QString good = makeSource(job.media, "good.mpg");
        QFile in(good);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(bytes[i] ^ 0x5a);
        const QString source = job.media.filePath("corrupted.mpg");
        QFile out(source);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();

        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.ui().chkImage->setChecked(true);
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({EncodeFailed}));
        QVERIFY(job.ui().txtApp->text().startsWith(job.app() + "/ffmpeg -i \"" + source));
        QCOMPARE(job.ends, QList<EncodeJob::End> {EncodeJob::End::Failed});
        QVERIFY2(job.boxes.detailsOf(0).contains("Invalid data"),
                 qPrintable(job.boxes.detailsOf(0)));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QVERIFY(!QFileInfo::exists(job.media.filePath("cover1.jpg")));
    }

    void failedMetadataStillGrabsImages()
    {
        Job job;
        // A metadata tool that fails whatever it is given.
        QFile::remove(job.appFolder.filePath("flvmdi"));
        QVERIFY(QFile::copy(testChildProgram(), job.appFolder.filePath("flvmdi")));
        const QString source = makeSource(job.media, "clip.mpg");
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.ui().chkImage->setChecked(true);
        job.ui().txtNumImages->setText("3");
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({EncodeOk, MetadataFailed, ImagesOk}));
        QCOMPARE(job.ends, QList<EncodeJob::End> {EncodeJob::End::Ready});
        QVERIFY(QFileInfo::exists(job.media.filePath("cover3.jpg")));
        QVERIFY(!QFileInfo::exists(job.media.filePath("cover4.jpg")));
    }

    void existingOutputIsReplacedOnlyWhenConfirmed()
    {
        Job job;
        const QString source = makeSource(job.media, "clip.mpg");
        const QString output = job.earlierOutput("clip.flv");
        QFile old(output);
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());

        const Shown question {"OUTPUT FILE ALREADY EXISTS! OVERWRITE?", 36, "Confirm"};
        job.boxes.scriptAnswers({No});
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({question}));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("keep me"));
        old.close();
        QVERIFY(job.ui().cmdEncode->isEnabled());

        job.boxes.clear();
        job.boxes.scriptAnswers({Yes});
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({question, EncodeOk, MetadataOk}));
        verifyFlv(output, 400, 300, 22050, 1);
    }

    void outputCannotBeTheSource()
    {
        Job job;
        const QString source = makeSource(job.media, "clip.flv");
        const QByteArray before = [&] {
            QFile f(source);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path() + "/./");
        job.ui().txtOutFile->setText("clip.flv");
        job.encode();
        QCOMPARE(job.boxes.shown(),
                 QList<Shown>({{"OUTPUT FILE CANNOT BE THE SOURCE FILE!", 16, "Error"}}));
        QFile after(source);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        QCOMPARE(job.ui().txtApp->text(), QString());
    }

    void doubleQuotesInNamesAndWatermarkConvert()
    {
        Job job;
        const QString source = makeSource(job.media, "say \"hi\"/a \"b\".mpg");
        QVERIFY(!source.isEmpty());
        job.chooseSource(source);
        QCOMPARE(job.ui().txtOutFile->text(), QString("a \"b\".flv"));
        job.chooseOutputFolder(job.media.filePath("say \"hi\""));
        job.ui().chkWatermark->setChecked(true);
        job.ui().txtWatermark->setPlainText("\"quoted\" text");
        job.encode();
        QCOMPARE(job.boxes.shown(), QList<Shown>({EncodeOk, MetadataOk}));
        QVERIFY(job.commandAtMessage.first().contains(" -t \"quoted\" text\" "));
        verifyFlv(job.media.filePath("say \"hi\"/a \"b\".flv"), 400, 300, 22050, 1);
    }

    // Cancel during the encode stage, with the real tools: the job ends,
    // the earlier output stays as it was and nothing temporary is left.
    void cancelledEncodeKeepsTheEarlierOutput()
    {
        Job job;
        const QString source = makeSource(job.media, "long.mpg", {120, 320, 240});
        QFile old(job.earlierOutput("long.flv"));
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.boxes.scriptAnswers({Yes, No, Yes});

        ProgressStrip &strip = job.window().progressStrip();
        auto *cancel = strip.findChild<QPushButton *>("cmdCancelStage");
        int reports = 0;
        QObject::connect(&job.window().stageRunner(),
                         &pipeline::StageRunner::progressed,
                         &strip,
                         [&](double position, double length) {
                             if (++reports > 1)
                                 return;
                             // While the stage runs: the strip names it, the
                             // job's controls are off, the tabs are not.
                             QCOMPARE(strip.text(), QString("Encoding long.flv"));
                             QVERIFY(qAbs(length - 120) < 0.5);
                             QVERIFY(!job.ui().cmdEncode->isEnabled());
                             QVERIFY(!job.ui().Frame1->isEnabled());
                             QVERIFY(job.ui().sstThis->isEnabled());
                             QVERIFY(cancel->isVisible());
                             QVERIFY(position > 0);
                             // First No, then Yes.
                             QTest::mouseClick(cancel, Qt::LeftButton);
                             QTest::mouseClick(cancel, Qt::LeftButton);
                         });
        job.encode();

        QVERIFY(reports >= 1);
        const Shown abort {"ENCODING IS IN PROGRESS. ABORT?", 36, "Confirm"};
        QCOMPARE(job.boxes.shown(),
                 QList<Shown>(
                         {{"OUTPUT FILE ALREADY EXISTS! OVERWRITE?", 36, "Confirm"}, abort, abort}));
        QCOMPARE(job.ends, QList<EncodeJob::End> {EncodeJob::End::Cancelled});
        QCOMPARE(strip.text(), QString("Cancelled"));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QVERIFY(job.ui().Frame1->isEnabled());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("keep me"));
        QCOMPARE(QDir(job.media.path())
                         .entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({"long.flv", "long.mpg"}));
        QVERIFY(job.notifier.sent.isEmpty());
    }

    // Closing the window during a stage asks the exit question; No goes
    // on, Yes stops the tool and then ends the program.
    void closingDuringAStage()
    {
        Job job;
        const QString source = makeSource(job.media, "long.mpg", {120, 320, 240});
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.boxes.scriptAnswers({No, Yes});
        bool closed = false;
        QObject::connect(&job.window().stageRunner(),
                         &pipeline::StageRunner::progressed,
                         &job.probe,
                         [&] {
                             if (std::exchange(closed, true))
                                 return;
                             QVERIFY(!testmedia::childProcesses().isEmpty());
                             job.window().close();
                             QVERIFY(job.window().isVisible());
                             QVERIFY(job.window().encodeJob().isRunning());
                             job.window().close();
                         });
        job.encode();

        const Shown exit {"EXIT TROVEXA FLV CONVERTER?", 36, "Confirm"};
        QCOMPARE(job.boxes.shown(), QList<Shown>({exit, exit}));
        QCOMPARE(job.ends, QList<EncodeJob::End> {EncodeJob::End::Cancelled});
        QVERIFY(QTest::qWaitFor([&] { return !job.window().isVisible(); }, 10000));
        QVERIFY(testmedia::childProcesses().isEmpty());
        QVERIFY(!QFileInfo::exists(job.media.filePath("long.flv")));
    }

    // The end of a job is told on the desktop only when the window is not
    // the active one.
    void notificationOnlyWhenTheWindowIsNotActive()
    {
        Job job;
        const QString source = makeSource(job.media, "clip.mpg", {0.5});
        job.chooseSource(source);
        job.chooseOutputFolder(job.media.path());
        job.ui().chkDisableAudio->setChecked(true);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        job.encode();
        QCOMPARE(job.notifier.sent.size(), 1);
        QCOMPARE(job.notifier.sent.first().second, QString("clip.flv is ready"));

        job.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&job.window()));
        job.boxes.scriptAnswers({Yes});
        job.encode();
        QCOMPARE(job.ends.size(), 2);
        QCOMPARE(job.notifier.sent.size(), 1);
    }
};

QTEST_MAIN(EncodeJobTest)
#include "test_encode_job.moc"
