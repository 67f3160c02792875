// A whole conversion through the window, run by tests/test_package.cmake as
// an unprivileged user from the unpacked package's application folder
// (TROVEXA_INSTALLED_APP), which that user cannot write. This program is
// started through a link to it in TROVEXA_DRIVER_FOLDER.
#include "support/WindowFixture.h"

#include "platform/FileSystem.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>
#include <QtWidgets>

using Shown = platform::RecordingMessageBoxes::Shown;

class InstalledRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // An AVI is normalized into the user's cache, then converted with a
    // watermark by the package's tools, which read its colour table.
    void aWatermarkedAviConverts()
    {
        const QString app = qEnvironmentVariable("TROVEXA_INSTALLED_APP");
        QVERIFY(QFileInfo(app + "/trovexa").isExecutable() && !platform::isWritableFolder(app));
        QCOMPARE(platform::ApplicationFolder(), qEnvironmentVariable("TROVEXA_DRIVER_FOLDER"));
        QTemporaryDir media;
        QVERIFY(testmedia::makeVideo(media.filePath("clip.avi")));
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QVERIFY(!QFileInfo::exists(cache + "/trovexa"));

        WindowFixture f(app);
        MainWindow &w = f.window();
        QCOMPARE(w.Form_Load(), MainWindow::Startup::Run);
        w.ui().chkWatermark->setChecked(true);
        w.ui().txtWatermark->setPlainText("Trovexa");
        f.dialogs.fileAnswers << media.filePath("clip.avi");
        QTest::mouseClick(w.ui().cmdInput, Qt::LeftButton);
        f.dialogs.folderAnswers << media.path();
        QTest::mouseClick(w.ui().cmdOutput, Qt::LeftButton);
        QStringList commands; // the command shown with each box
        f.boxes.onShow = [&](const Shown &) {
            commands << w.ui().txtApp->text();
        };
        QSignalSpy finished(&w.encodeJob(), &EncodeJob::finished);
        QTest::mouseClick(w.ui().cmdEncode, Qt::LeftButton);
        QVERIFY(finished.wait(120000));

        QCOMPARE(f.boxes.shown(),
                 QList<Shown>({{"ENCODING SUCCESSFUL!", 64, "Message"},
                               {"FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!",
                                64,
                                "Message"}}));
        QVERIFY2(commands.value(0).contains(" -vhook \"" + app + "/vhook/"),
                 qPrintable(commands.join('\n')));
        QVERIFY(commands.value(1).startsWith(app + "/flvmdi "));
        QVERIFY(QFileInfo(cache + "/trovexa/temp.mpg").size() > 0);
        const QString flv = media.filePath("clip.flv");
        const QJsonObject video = testmedia::firstStream(testmedia::probe(flv), "video");
        QCOMPARE(video["codec_name"].toString(), QString("flv1"));
        QCOMPARE(video["width"].toInt(), 400);
        QCOMPARE(testmedia::run("flvmeta", {"--check", "--quiet", flv}).exitCode, 0);
    }
};

QTEST_MAIN(InstalledRun)
#include "installed_run.moc"
