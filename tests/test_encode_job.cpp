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
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::MsgBoxAnswer::No;
using platform::MsgBoxAnswer::Yes;

namespace {

const QString Damaged = " FAILED! POSSIBLE REASON IS A DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED "
                        "SOURCE VIDEO FILE.";
const Shown EncodeOk {"ENCODING SUCCESSFUL!", 64, "Message"};
const Shown EncodeFailed {"ENCODING" + Damaged, 16, "Error"};
const Shown MetadataOk {"FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!", 64, "Message"};
const Shown MetadataFailed {"FLV METADATA INJECTION FAILED!", 16, "Error"};
const Shown ImagesOk {"IMAGE(S) GENERATED!", 64, "Message"};
const Shown NormalizationFailed {"NORMALIZATION" + Damaged, 16, "Error"};
const Shown Abort {"ENCODING IS IN PROGRESS. ABORT?", 36, "Confirm"};

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

    // An output file of an earlier job, holding "keep me".
    QString earlierOutput(const QString &name)
    {
        testmedia::writeFile(media.filePath(name), "keep me");
        return media.filePath(name);
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

// Sets the window's controls from "name=value" pairs.
void setControls(QWidget &window, const QStringList &settings)
{
    for (const QString &setting : settings) {
        const QString name = setting.section(u'=', 0, 0);
        const QString value = setting.section(u'=', 1);
        QWidget *control = window.findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        if (auto *list = qobject_cast<QComboBox *>(control))
            list->setCurrentText(value);
        else if (auto *check = qobject_cast<QCheckBox *>(control))
            check->setChecked(value == "1");
        else if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->setText(value);
        else if (auto *text = qobject_cast<QPlainTextEdit *>(control))
            text->setPlainText(value);
    }
}

// The FLV file as the window's options asked for it: width, height,
// sampling and channels (0: no audio), with its metadata; in Sorenson H.263
// and MP3, or in H.264 and AAC.
void verifyFlv(const QString &path, const QList<int> &flv, bool h264 = false)
{
    const QJsonObject probed = testmedia::probe(path);
    QCOMPARE(probed["format"].toObject()["format_name"].toString(), QString("flv"));
    const QJsonObject video = testmedia::firstStream(probed, "video");
    QCOMPARE(video["codec_name"].toString(), QString(h264 ? "h264" : "flv1"));
    QCOMPARE(QList<int>({video["width"].toInt(), video["height"].toInt()}), flv.mid(0, 2));
    QCOMPARE(video["r_frame_rate"].toString(), QString("25/1"));
    const QJsonObject audio = testmedia::firstStream(probed, "audio");
    QCOMPARE(audio["codec_name"].toString(), QString(!flv[2] ? "" : h264 ? "aac" : "mp3"));
    QCOMPARE(QList<int>({audio["sample_rate"].toString().toInt(), audio["channels"].toInt()}),
             flv.mid(2, 2));
    QCOMPARE(testmedia::run("flvmeta", {"--check", "--quiet", path}).exitCode, 0);
    const QJsonObject meta
            = QJsonDocument::fromJson(testmedia::run("flvmeta", {"-D", "-j", path}).output).object();
    QVERIFY(!meta["keyframes"].toObject()["times"].toArray().isEmpty());
    QCOMPARE(meta["width"].toDouble(), double(flv[0]));
    // flvmeta counts frames over the whole file's length, audio included;
    // with H.264 that length also holds the two frames the picture starts
    // late, much of a clip of two seconds.
    const double framerate = meta["framerate"].toDouble();
    QVERIFY2(qAbs(framerate - 25.0) < (h264 ? 2.0 : 0.6), qPrintable(QString::number(framerate)));
}

} // namespace

class EncodeJobTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Conversions with the real tools: the FLV file as the options asked
    // for it, with its metadata, and the first frames as pictures.
    void conversions_data()
    {
        QTest::addColumn<QString>("source"); // relative to the media folder
        QTest::addColumn<QString>("outFolder");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<bool>("normalized");
        QTest::addColumn<QString>("fragment"); // in the encoder's command
        QTest::addColumn<QList<int>>("flv"); // width, height, sampling, channels
        QTest::addColumn<int>("images");
        // Blanks, an apostrophe and letters beyond ASCII in the source path.
        QTest::newRow("avi is normalized first") << "in put/Émile's clip.avi"
                                                 << "out folder" << QStringList() << true << ""
                                                 << QList<int> {400, 300, 22050, 1} << 0;
        QTest::newRow("mpg goes straight to the encoder, over an earlier output")
                << "clip.mpg"
                << "" << QStringList {"existing", "cmbVideoWindow=320x240", "chkDisableAudio=1"}
                << false << "" << QList<int> {320, 240, 0, 0} << 0;
        QTest::newRow("quick encode skips normalization")
                << "clip.avi"
                << ""
                << QStringList {"chkQuickEncode=1",
                                "cmbAudioSampling=44100",
                                "cmbAudioChannels=Stereo",
                                "cmbVideoWindow=240x135"}
                << false << "" << QList<int> {240, 135, 44100, 2} << 0;
        QTest::newRow("H.264: watermark, and images with frame count 0")
                << "clip.mpeg"
                << ""
                << QStringList {"cmbVideoWindow=160x120",
                                "chkWatermark=1",
                                "txtWatermark=Trovexa: 100% [test], it's \\ fine",
                                "chkImage=1",
                                "txtNumImages=0",
                                "cmbCodec=H.264 + AAC"}
                << false << " -vcodec h264 -acodec aac \"" << QList<int> {160, 120, 22050, 1} << 10;
        QTest::newRow("double quotes in names and watermark")
                << "say \"hi\"/a \"b\".mpg"
                << "say \"hi\""
                << QStringList {"chkWatermark=1",
                                "txtWatermark=\"quoted\" text",
                                "chkImage=1",
                                "txtNumImages=3"}
                << false << " -t \"quoted\" text\" " << QList<int> {400, 300, 22050, 1} << 3;
    }
    void conversions()
    {
        QFETCH(QString, source);
        QFETCH(QString, outFolder);
        QFETCH(QStringList, settings);
        QFETCH(bool, normalized);
        QFETCH(QString, fragment);
        QFETCH(QList<int>, flv);
        QFETCH(int, images);
        Job job;
        const QString input = makeSource(job.media, source);
        QVERIFY(!input.isEmpty());
        const QString out = job.media.filePath(outFolder);
        QDir().mkpath(out);
        job.chooseSource(input);
        QCOMPARE(job.ui().lblInput->text(), input);
        const QString name = QFileInfo(input).completeBaseName() + ".flv";
        QCOMPARE(job.ui().txtOutFile->text(), name);
        job.chooseOutputFolder(out);
        QCOMPARE(job.ui().lblOutDir->text(), QDir::cleanPath(out) + "/");
        QList<Shown> shown {EncodeOk, MetadataOk};
        if (settings.removeAll("existing")) { // an earlier output, replaced when confirmed
            job.earlierOutput(name);
            job.boxes.scriptAnswers({Yes});
            shown.prepend({"OUTPUT FILE ALREADY EXISTS! OVERWRITE?", 36, "Confirm"});
        }
        setControls(job.window(), settings);
        job.encode();

        if (images > 0)
            shown << ImagesOk;
        QCOMPARE(job.boxes.shown(), shown);
        QCOMPARE(job.sawProgressWindow, normalized);
        const QString temp = pipeline::intermediateFile(job.appFolder.path(), u'/');
        QCOMPARE(QFileInfo::exists(temp), normalized);
        const QString command = job.commandAtMessage.value(shown.indexOf(EncodeOk));
        QVERIFY2(command.contains(" -i \"" + (normalized ? temp : input) + "\" "),
                 qPrintable(command));
        QVERIFY2(command.contains(fragment), qPrintable(command));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QCOMPARE(job.notifier.sent.value(0).second, name + " is ready");
        verifyFlv(out + "/" + name, flv, settings.contains("cmbCodec=H.264 + AAC"));
        if (settings.contains("txtNumImages=0"))
            QCOMPARE(job.ui().txtNumImages->text(), QString("10"));
        for (int i = 1; i <= images + 1; ++i) {
            const QImage cover(out + QString("/cover%1.jpg").arg(i));
            QCOMPARE(cover.size(), i <= images ? QSize(flv[0], flv[1]) : QSize(0, 0));
        }
    }

    // Requests refused before any tool runs: one box, the tab and control
    // to fix shown, and nothing written.
    void refusedRequests_data()
    {
        QTest::addColumn<QString>("source"); // "": none chosen
        QTest::addColumn<QString>("folder"); // "-": the choice cancelled
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus"); // "": where it was
        QTest::newRow("no source") << ""
                                   << "" << QStringList() << "NO FILE TO ENCODE!"
                                   << "cmdInput";
        QTest::newRow("no watermark text")
                << "clip.mpg"
                << "" << QStringList {"chkWatermark=1"} << "WATERMARK TEXT MISSING!"
                << "txtWatermark";
        QTest::newRow("folder choice cancelled") << "clip.mpg"
                                                 << "-" << QStringList() << "OUTPUT FOLDER MISSING!"
                                                 << "";
        QTest::newRow("output is the source") << "clip.flv"
                                              << "./" << QStringList {"txtOutFile=clip.flv"}
                                              << "OUTPUT FILE CANNOT BE THE SOURCE FILE!"
                                              << "";
        QTest::newRow("existing output kept")
                << "clip.mpg"
                << "" << QStringList {"existing"} << "OUTPUT FILE ALREADY EXISTS! OVERWRITE?"
                << "";
    }
    void refusedRequests()
    {
        QFETCH(QString, source);
        QFETCH(QString, folder);
        QFETCH(QStringList, settings);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Job job;
        if (!source.isEmpty())
            job.chooseSource(makeSource(job.media, source, {0.5}));
        if (settings.removeAll("existing"))
            job.earlierOutput("clip.flv");
        job.chooseOutputFolder(job.media.path() + "/" + folder);
        if (folder == "-")
            job.chooseOutputFolder(QString());
        setControls(job.window(), settings);
        job.ui().txtApp->setText("earlier command");
        job.ui().sstThis->setCurrentIndex(2);
        const auto contents = [&] {
            QStringList files;
            for (const QFileInfo &file : QDir(job.media.path()).entryInfoList(QDir::Files))
                files << file.fileName() + ":"
                                + testmedia::readFile(file.filePath()).toHex().left(64);
            return files;
        };
        const QStringList before = contents();
        job.encode();
        QCOMPARE(job.boxes.shown().size(), 1);
        QCOMPARE(job.boxes.shown().first().prompt, message);
        QCOMPARE(contents(), before);
        QCOMPARE(job.ui().txtApp->text(), QString("earlier command"));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        if (!focus.isEmpty()) {
            QCOMPARE(job.ui().sstThis->currentIndex(), focus == "cmdInput" ? 0 : 1);
            QCOMPARE(job.window().focusWidget()->objectName(), focus);
        }
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
        QCOMPARE(job.dialogs.fileRequests.last().initialPath, source);
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
        QCOMPARE(job.boxes.shown(), QList<Shown>({Abort}));
        QCOMPARE(job.ui().txtApp->text(), QString("before"));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QVERIFY(!QFileInfo::exists(job.media.filePath("long.flv")));
    }

    // A source the tools cannot read: the stage's failure, with the tool's
    // own words in the details, and nothing after it.
    void damagedSources()
    {
        for (const auto &[name, failure] : {std::pair {QString("broken.avi"), NormalizationFailed},
                                            {"broken.mpg", EncodeFailed}}) {
            Job job;
            const QString source = job.media.filePath(name);
            QVERIFY(testmedia::writeFile(source, QByteArray(4096, 'x')));
            job.chooseSource(source);
            job.chooseOutputFolder(job.media.path());
            job.ui().chkImage->setChecked(true);
            job.encode();
            QCOMPARE(job.boxes.shown(), QList<Shown>({failure}));
            // A failed normalization ends the request before the job starts;
            // the converter's own words come with its failure.
            const bool encoded = failure == EncodeFailed;
            QCOMPARE(job.ends.size(), encoded ? 1 : 0);
            QVERIFY(!job.ends.contains(EncodeJob::End::Ready));
            QCOMPARE(job.boxes.detailsOf(0).contains("Invalid data"), encoded);
            QVERIFY(job.ui().cmdEncode->isEnabled());
            QCOMPARE(QDir(job.media.path()).entryList(QDir::Files), QStringList({name}));
        }
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

    // Cancel during the encode stage, with the real tools: the job ends,
    // the earlier output stays as it was and nothing temporary is left.
    void cancelledEncodeKeepsTheEarlierOutput()
    {
        Job job;
        const QString source = makeSource(job.media, "long.mpg", {120, 320, 240});
        const QString old = job.earlierOutput("long.flv");
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
        QCOMPARE(job.boxes.shown(),
                 QList<Shown>(
                         {{"OUTPUT FILE ALREADY EXISTS! OVERWRITE?", 36, "Confirm"}, Abort, Abort}));
        QCOMPARE(job.ends, QList<EncodeJob::End> {EncodeJob::End::Cancelled});
        QCOMPARE(strip.text(), QString("Cancelled"));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QVERIFY(job.ui().Frame1->isEnabled());
        QCOMPARE(testmedia::readFile(old), QByteArray("keep me"));
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
    // the active one (as in the conversions above).
    void noNotificationWhileTheWindowIsActive()
    {
        Job job;
        job.chooseSource(makeSource(job.media, "clip.mpg", {0.5}));
        job.chooseOutputFolder(job.media.path());
        job.window().show();
        job.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&job.window()));
        job.encode();
        QCOMPARE(job.ends, QList<EncodeJob::End> {EncodeJob::End::Ready});
        QVERIFY(job.notifier.sent.isEmpty());
    }
};

QTEST_MAIN(EncodeJobTest)
#include "test_encode_job.moc"
