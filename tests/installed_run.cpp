// SPDX-License-Identifier: GPL-3.0-or-later
// A whole conversion through the window, run by tests/test_package.cmake as an unprivileged user
// from the unpacked package's application folder (TROVEXA_INSTALLED_APP), which that user cannot
// write; it is started through a link to it in TROVEXA_DRIVER_FOLDER.
#include "support/WindowFixture.h"

#include "platform/FileSystem.h"

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
        const MainWindowUi &ui = f.ui();
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
        f.set("chkWatermark=1;txtWatermark=Trovexa");
        f.dialogs.fileAnswers << media.filePath("clip.avi");
        f.dialogs.folderAnswers << media.path();
        QTest::mouseClick(ui.cmdInput, Qt::LeftButton);
        QTest::mouseClick(ui.cmdOutput, Qt::LeftButton);
        QStringList commands; // the command shown with each box
        f.boxes.onShow = [&](const Shown &) {
            commands << ui.txtApp->text();
        };
        QSignalSpy finished(&f.window().encodeJob(), &EncodeJob::finished);
        QTest::mouseClick(ui.cmdEncode, Qt::LeftButton);
        QVERIFY(finished.wait(120000));

        const QString injected = "FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!";
        QCOMPARE(f.boxes.shown(),
                 QList<Shown>({{"ENCODING SUCCESSFUL!", 64, "Message"}, {injected, 64, "Message"}}));
        QVERIFY2(commands.value(0).contains(" -vhook \"" + app + "/vhook/")
                         && commands.value(1).startsWith(app + "/flvmdi "),
                 qPrintable(commands.join('\n')));
        QVERIFY(QFileInfo(cache + "/trovexa/temp.mpg").size() > 0);
        const QString flv = media.filePath("clip.flv");
        const QJsonObject video = testmedia::firstStream(testmedia::probe(flv), "video");
        QCOMPARE(video["codec_name"].toString(), "flv1");
        QCOMPARE(video["width"].toInt(), 400);
        QCOMPARE(testmedia::run("flvmeta", {"--check", "--quiet", flv}).exitCode, 0);
    }
};

QTEST_MAIN(InstalledRun)
#include "installed_run.moc"
