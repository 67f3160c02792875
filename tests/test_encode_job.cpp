// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataRows.h"
#include "support/WindowFixture.h"

#include "pipeline/StageCommands.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::MsgBoxAnswer::No;
using platform::MsgBoxAnswer::Yes;
using End = EncodeJob::End;

namespace {

const Shown EncodeOk {"ENCODING SUCCESSFUL!", 64, "Message"};
const Shown MetadataOk {"FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!", 64, "Message"};
const Shown ImagesOk {"IMAGE(S) GENERATED!", 64, "Message"};
const Shown Overwrite {"OUTPUT FILE ALREADY EXISTS! OVERWRITE?", 36, "Confirm"};

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
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == "frmProgress" && !std::exchange(sawProgress, true))
                QTimer::singleShot(300, modal, [modal] { // Cancel in the progress window
                    QTest::mouseClick(modal->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
                });
        });
        probe.start(20);
        QObject::connect(&window().encodeJob(), &EncodeJob::finished, &probe, [this](End end) {
            ends << end;
        });
    }

    // Input File and Output Folder, and what is picked in their dialogs.
    void choose(const QString &source, const QString &folder)
    {
        dialogs.fileAnswers << source;
        QTest::mouseClick(ui().cmdInput, Qt::LeftButton);
        dialogs.folderAnswers << folder;
        QTest::mouseClick(ui().cmdOutput, Qt::LeftButton);
    }

    // A test video in the media folder; its path, or "" when it cannot be made.
    QString video(const QString &name, const testmedia::VideoSpec &made = {})
    {
        QDir().mkpath(QFileInfo(media.filePath(name)).path());
        return testmedia::makeVideo(media.filePath(name), made) ? media.filePath(name) : "";
    }

    // Starts Encoding and waits for the job's end.
    void encode()
    {
        QTest::mouseClick(ui().cmdEncode, Qt::LeftButton);
        if (window().encodeJob().isRunning())
            QVERIFY(QTest::qWaitFor([&] { return !ends.isEmpty(); }, 120000));
    }

    QTemporaryDir media;
    QStringList commandAtMessage;
    QList<End> ends;
    bool sawProgress = false; // and Cancel was clicked there
    QTimer probe;
};

// The FLV file's streams, and its metadata (checked in full by the tool's tests).
void verifyFlv(const QString &path, const QString &streams)
{
    const QJsonObject probed = testmedia::probe(path);
    const QJsonObject v = testmedia::firstStream(probed, "video");
    const QJsonObject a = testmedia::firstStream(probed, "audio");
    using testmedia::fields;
    const QString found = QStringList {probed["format"]["format_name"].toString(),
                                       fields(v, {"codec_name"}),
                                       fields(v, {"width", "height"}, u'x'),
                                       fields(v, {"r_frame_rate"}),
                                       fields(a, {"codec_name", "sample_rate", "channels"}, u' ')}
                                  .join(' ');
    QCOMPARE(found.trimmed(), streams);
    QCOMPARE(testmedia::run("flvmeta", {"--check", "--quiet", path}).exitCode, 0);
    const auto meta = QJsonDocument::fromJson(testmedia::run("flvmeta", {"-D", "-j", path}).output);
    QVERIFY(!meta["keyframes"]["times"].toArray().isEmpty()); // the metadata stage ran
}

} // namespace

class EncodeJobTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void conversions_data() { addDataRows("encode_job.txt", "conversions"); }
    // Conversions with the real tools: the FLV file as the options asked
    // for it, with its metadata, and the first frames as pictures.
    void conversions()
    {
        QFETCH(QStringList, row);
        const QString source = row[0], folder = row[1], fragment = row[4], streams = row[5];
        QString settings = row[2];
        const bool normalized = row[3] == "normalized";
        const int images = row[6].toInt();
        Job job;
        job.sawProgress = true; // no Cancel
        const QString input = job.video(source), out = job.media.filePath(folder);
        QVERIFY(!input.isEmpty() && QDir().mkpath(out));
        job.choose(input, out);
        const QString name = QFileInfo(input).completeBaseName() + ".flv";
        QList<Shown> shown {EncodeOk, MetadataOk};
        if (settings.contains("existing")) {
            QVERIFY(testmedia::writeFile(out + "/" + name, "earlier"));
            job.boxes.scriptAnswers({Yes});
            shown.prepend(Overwrite);
        }
        const bool active = settings.contains("active");
        if (active) {
            job.window().show();
            job.window().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&job.window()));
        }
        job.set(settings.remove("existing;").remove("active;"));
        job.encode();

        QCOMPARE(job.boxes.shown(), images > 0 ? shown << ImagesOk : shown);
        const QString temp = pipeline::intermediateFile(job.appFolder.path(), u'/');
        QCOMPARE(QFileInfo::exists(temp), normalized);
        const QString command = job.commandAtMessage.value(shown.indexOf(EncodeOk));
        QVERIFY2(command.contains(" -i \"" + (normalized ? temp : input) + "\" ")
                         && command.contains(fragment),
                 qPrintable(command));
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QCOMPARE(job.notifier.sent.value(0).second, active ? "" : name + " is ready");
        verifyFlv(out + "/" + name, streams);
        QCOMPARE(job.ui().txtNumImages->text(), QString::number(images ? images : 10));
        const QStringList size = streams.section(' ', 2, 2).split('x');
        for (int i = 1; i <= images + 1; ++i)
            QCOMPARE(QImage(out + QString("/cover%1.jpg").arg(i)).size(),
                     i <= images ? QSize(size[0].toInt(), size[1].toInt()) : QSize(0, 0));
    }

    void refusedRequests_data() { addDataRows("encode_job.txt", "refused"); }
    // Requests refused before any tool runs: one box, the tab and control
    // to fix shown, nothing written. A cancelled Input File keeps the request.
    void refusedRequests()
    {
        QFETCH(QStringList, row);
        const QString source = row[0], folder = row[1], settings = row[2], focus = row[4];
        Job job;
        const QString input = source.isEmpty() ? "" : job.video(source, {0.5});
        QLockFile held(job.media.filePath(".clip.flv.trovexa-lock")); // by another run
        if (settings == "existing")
            QVERIFY(testmedia::writeFile(job.media.filePath("clip.flv"), "earlier"));
        else if (settings == "held")
            QVERIFY(held.tryLock());
        else if (settings != "piped")
            job.set(settings);
        job.choose(input, folder == "-" ? "" : job.media.filePath(folder));
        if (settings == "piped") // a named pipe in the chosen file's place
            QVERIFY(QFile::remove(input)
                    && ::mkfifo(QFile::encodeName(input).constData(), 0600) == 0);
        const QString outName = job.ui().txtOutFile->text();
        job.dialogs.fileAnswers << QString(); // a cancelled Input File
        QTest::mouseClick(job.ui().cmdInput, Qt::LeftButton);
        QCOMPARE(job.ui().lblInput->text() + job.ui().txtOutFile->text(), input + outName);
        QCOMPARE(job.dialogs.fileRequests.last().initialPath, input);
        job.ui().txtApp->setText("earlier command");
        job.ui().sstThis->setCurrentIndex(2);
        const auto before = testmedia::snapshot(job.media.path());
        job.encode();
        QCOMPARE(job.boxes.shown().size(), 1);
        QCOMPARE(job.boxes.shown().first().prompt,
                 QString(row[3]).replace("<media>", job.media.path()));
        QVERIFY(testmedia::snapshot(job.media.path()) == before);
        QCOMPARE(job.ends, settings == "held" ? QList<End> {End::Cancelled} : QList<End>());
        QVERIFY(!job.window().encodeJob().isRunning() && testmedia::childProcesses().isEmpty());
        QVERIFY(job.notifier.sent.isEmpty());
        QVERIFY(job.ui().txtApp->text() == "earlier command" && job.ui().cmdEncode->isEnabled());
        QCOMPARE(job.ui().sstThis->currentIndex(), focus.isEmpty() ? 2 : focus == "txtWatermark");
        if (!focus.isEmpty())
            QCOMPARE(job.window().focusWidget()->objectName(), focus);
    }

    void failures_data() { addDataRows("encode_job.txt", "failures"); }
    // The stage's failure, with the tool's own words in the details, and nothing after it;
    // the pictures still come after a failed metadata stage.
    void failures()
    {
        QFETCH(QStringList, row);
        const QString name = row[0];
        Job job;
        if (name.startsWith("broken")) {
            QVERIFY(testmedia::writeFile(job.media.filePath(name), QByteArray(4096, 'x')));
        } else {
            QVERIFY(!job.video(name).isEmpty());
            const QString tool = job.appFolder.filePath("flvmdi"); // fails, or cannot start
            QVERIFY(QFile::remove(tool)
                    && QFile::copy(name == "letter.mpg" ? job.media.filePath(name)
                                                        : testChildProgram(),
                                   tool)
                    && QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner));
        }
        job.choose(job.media.filePath(name), job.media.path());
        job.set("chkImage=1;txtNumImages=3");
        job.encode();
        QCOMPARE(job.boxes.shown(), Shown::fromRow(row[1]));
        QCOMPARE(job.ends,
                 row[2].isEmpty() ? QList<End>()
                                  : QList<End> {row[2] == "Ready" ? End::Ready : End::Failed});
        QCOMPARE(job.boxes.detailsOf(0).contains("Invalid data"), name.startsWith("broken"));
        const QString flv = QFileInfo(name).completeBaseName() + ".flv";
        QCOMPARE(job.notifier.sent.value(0).second,
                 row[2] == "Ready" ? flv + " is ready" : "Encoding " + flv + " failed");
        QVERIFY(job.ui().cmdEncode->isEnabled());
        QCOMPARE(QDir(job.media.path()).entryList(QDir::Files).join(' '), row[3]);
    }

    // Stopping a job: Cancel in the progress window while the source is normalized, Cancel on the
    // status strip, and closing the window during the encode stage. A question comes first, No goes
    // on; nothing is written, an earlier output stays as it was and no tool is left running.
    void stopping()
    {
        QTemporaryDir sources;
        const QString source = sources.filePath("long.avi");
        // At 30 frames a second the normalization encodes (a copy would end
        // before Cancel is clicked).
        QVERIFY(testmedia::makeVideo(source, {120, 320, 240, 30}));
        const Shown abort {"ENCODING IS IN PROGRESS. ABORT?", 36, "Confirm"};
        for (const QString way : {"progress window", "strip", "close"}) {
            Job job;
            const bool inWindow = way == "progress window";
            QVERIFY(testmedia::writeFile(job.media.filePath("long.flv"), "keep me"));
            job.choose(source, job.media.path());
            job.set(inWindow ? "" : "chkQuickEncode=1");
            job.ui().txtApp->setText("before");
            job.boxes.scriptAnswers(inWindow ? QList<int> {Yes, Yes} : QList<int> {Yes, No, Yes});
            ProgressStrip &strip = job.window().progressStrip();
            auto *cancel = strip.findChild<QPushButton *>("cmdCancelStage");
            QSignalSpy progress(&job.window().encodeJob(), &EncodeJob::progressed);
            QSignalSpy stages(&job.window().encodeJob(), &EncodeJob::stageStarted);
            QTest::mouseClick(job.ui().cmdEncode, Qt::LeftButton);
            const auto stop = [&] {
                if (way == "close")
                    job.window().close();
                else
                    QTest::mouseClick(cancel, Qt::LeftButton);
            };
            if (inWindow) {
                QVERIFY(QTest::qWaitFor([&] { return !job.ends.isEmpty(); }, 60000));
                QVERIFY(job.sawProgress);
                QCOMPARE(job.boxes.shown(), QList<Shown>({Overwrite, abort}));
                QCOMPARE(job.ui().txtApp->text(), QString("before"));
            } else {
                QVERIFY(QTest::qWaitFor(
                        [&] { return progress.value(progress.size() - 1).value(0).toDouble() > 0; },
                        60000));
                // The strip names the stage; the job's controls are off, the tabs are not.
                QCOMPARE(strip.text(), QString("Encoding long.flv"));
                QVERIFY(qAbs(progress.last()[1].toDouble() - 120) < 0.5); // the length
                QVERIFY(!job.ui().cmdEncode->isEnabled() && !job.ui().Frame1->isEnabled());
                QVERIFY(job.ui().sstThis->isEnabled() && cancel->isVisible());
                stop(); // No
                QVERIFY(job.window().isVisible() && job.window().encodeJob().isRunning());
                stop(); // Yes: the window stays until the tool has stopped, even if closed again
                QVERIFY((way != "close" || !job.window().close()) && job.window().isVisible());
                QVERIFY(QTest::qWaitFor([&] { return !job.ends.isEmpty(); }, 60000));
                const Shown asked = way == "close"
                        ? Shown {"EXIT TROVEXA FLV CONVERTER?", 36, "Confirm"}
                        : abort;
                QCOMPARE(job.boxes.shown(), QList<Shown>({Overwrite, asked, asked}));
                QCOMPARE(job.ends, QList<End> {End::Cancelled});
                QCOMPARE(strip.text(), QString("Cancelled"));
            }
            // The first stage, with a share done to show.
            QCOMPARE(stages.value(0),
                     QVariantList({inWindow ? "Normalizing long.avi" : "Encoding long.flv", true}));
            QVERIFY(QTest::qWaitFor([&] { return job.window().isVisible() != (way == "close"); }));
            QVERIFY(job.ui().cmdEncode->isEnabled() && job.ui().Frame1->isEnabled());
            QVERIFY(QTest::qWaitFor([] { return testmedia::childProcesses().isEmpty(); }));
            QCOMPARE(testmedia::folderEntries(job.media.path()), QStringList({"long.flv"}));
            QCOMPARE(testmedia::readFile(job.media.filePath("long.flv")), QByteArray("keep me"));
            QVERIFY(job.notifier.sent.isEmpty());
        }
    }
};

QTEST_MAIN(EncodeJobTest)
#include "test_encode_job.moc"
