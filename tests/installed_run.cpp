// Whole conversions through the window, run by tests/test_package.cmake as
// an unprivileged user against the application folder of the unpacked
// package, which that user cannot write. TROVEXA_INSTALLED_APP names the
// folder, TROVEXA_DRIVER_FOLDER the folder this program was built in.
#include "support/TestMedia.h"
#include "support/WindowFixture.h"

#include "platform/FileSystem.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using Shown = platform::RecordingMessageBoxes::Shown;

namespace {

const QList<Shown> Converted {{"ENCODING SUCCESSFUL!", 64, "Message"},
                              {"FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!",
                               64,
                               "Message"}};

QString installedFolder()
{
    return QString::fromLocal8Bit(qgetenv("TROVEXA_INSTALLED_APP"));
}

// Chooses the source and output folder as a person would, and encodes.
void convert(WindowFixture &f, const QString &source, const QString &outputFolder)
{
    QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
    f.dialogs.fileAnswers << source;
    QTest::mouseClick(f.window().ui().cmdInput, Qt::LeftButton);
    f.dialogs.folderAnswers << outputFolder;
    QTest::mouseClick(f.window().ui().cmdOutput, Qt::LeftButton);
    QSignalSpy finished(&f.window().encodeJob(), &EncodeJob::finished);
    QTest::mouseClick(f.window().ui().cmdEncode, Qt::LeftButton);
    QVERIFY(finished.wait(120000));
}

void verifyFlv(const QString &path, int width)
{
    const QJsonObject video = testmedia::firstStream(testmedia::probe(path), "video");
    QCOMPARE(video["codec_name"].toString(), QString("flv1"));
    QCOMPARE(video["width"].toInt(), width);
    QCOMPARE(testmedia::run("flvmeta", {"--check", "--quiet", path}).exitCode, 0);
}

} // namespace

class InstalledRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // The run means nothing where the folder could be written.
        QVERIFY(QFileInfo(installedFolder() + "/trovexa").isExecutable());
        QVERIFY(!platform::isWritableFolder(installedFolder()));
    }

    void folderFoundThroughALink()
    {
        QCOMPARE(platform::ApplicationFolder(),
                 QString::fromLocal8Bit(qgetenv("TROVEXA_DRIVER_FOLDER")));
    }

    void aviIsNormalizedIntoTheCache()
    {
        WindowFixture f(installedFolder());
        QTemporaryDir media;
        const QString source = media.filePath("clip.avi");
        QVERIFY(testmedia::makeVideo(source));
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QVERIFY(!QFileInfo::exists(cache + "/trovexa"));

        convert(f, source, media.path());
        QCOMPARE(f.boxes.shown(), Converted);
        QVERIFY(QFileInfo(cache + "/trovexa/temp.mpg").size() > 0);
        QVERIFY(f.window().ui().txtApp->text().startsWith(installedFolder() + "/flvmdi "));
        verifyFlv(media.filePath("clip.flv"), 400);
    }

    void watermark()
    {
        WindowFixture f(installedFolder());
        QTemporaryDir media;
        const QString source = media.filePath("clip.mpg");
        QVERIFY(testmedia::makeVideo(source));
        f.window().ui().chkWatermark->setChecked(true);
        f.window().ui().txtWatermark->setPlainText("Trovexa");
        QString encodeCommand;
        f.boxes.onShow = [&](const Shown &) {
            if (encodeCommand.isEmpty())
                encodeCommand = f.window().ui().txtApp->text();
        };

        convert(f, source, media.path());
        QCOMPARE(f.boxes.shown(), Converted);
        QVERIFY(encodeCommand.contains(" -vhook \"" + installedFolder() + "/vhook/"));
        // The encoder front-end read the colour table through the package's link.
        verifyFlv(media.filePath("clip.flv"), 400);
    }
};

QTEST_MAIN(InstalledRun)
#include "installed_run.moc"
