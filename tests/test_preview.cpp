// The FLV player tab playing real files, its file requests, the manual, F1
// and the About box.
#include "support/PlayerTab.h"
#include "support/WindowFixture.h"

#include "preview/AboutBox.h"

#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QTextDocument>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtTest>

using platform::FileDialogRequest;

namespace {

// Every text the program can show the user in a message box.
const QStringList Messages
        = QString("THIS SOFTWARE IS ALREADY OPEN!|INTERNAL ERROR OCCURED - ERROR NUMBER: |PLEASE "
                  "CONTACT SUPPORT.|THIS SOFTWARE REQUIRES DirectX 8 OR GREATER TO RUN.|DO YOU "
                  "WANT TO DOWNLOAD LATEST DirectX?|EXIT TROVEXA FLV CONVERTER?|NO FILE TO "
                  "ENCODE!|OUTPUT FOLDER MISSING!|OUTPUT FILE NAME MISSING!|INVALID OUTPUT FILE "
                  "NAME! MUST BE A .FLV FILE.|WATERMARK TEXT MISSING!|OUTPUT FILE CANNOT BE THE "
                  "SOURCE FILE!|OUTPUT FILE ALREADY EXISTS! OVERWRITE?|ENCODING "
                  "SUCCESSFUL!|ENCODING FAILED! POSSIBLE REASON IS A "
                  "DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE VIDEO FILE.|FLV METADATA "
                  "INJECTION SUCCESSFUL AND IS READY TO USE!|FLV METADATA INJECTION "
                  "FAILED!|IMAGE(S) GENERATED!|IMAGE GENERATION FAILED!|NO SUCH FILE OR "
                  "DIRECTORY|AUDIO FORMAT FAILURE! DO YOU WANT TO CONTINUE?|VIDEO GIVES ZERO SEC "
                  "DURATION. CANNOT PROCESS|FAILED TO SAVE NORMALIZED FILE!|NORMALIZATION FAILED! "
                  "POSSIBLE REASON IS A DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE VIDEO "
                  "FILE.|ENCODING IS IN PROGRESS. ABORT?|SETTINGS SAVED AS |DirectX: 9.0|Version: "
                  "|QuickTime: |QUICKTIME IS NOT INSTALLED!|.wsx|temp.mpg|cover1.jpg")
                  .split(u'|');

// The captions of the window's options, tabs, menus and lists, without
// access keys and colons.
QStringList captions(MainWindow &window)
{
    QStringList texts;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const QString text = w->property(w->inherits("QGroupBox") ? "title" : "text").toString();
        if (w->inherits("QAbstractButton") || w->inherits("QGroupBox") || text.endsWith(u':'))
            texts << text;
    }
    for (QAction *action : window.findChildren<QAction *>())
        texts << action->text();
    for (int i = 0; i < window.ui().sstThis->count(); ++i)
        texts << window.ui().sstThis->tabText(i);
    for (QComboBox *list : {window.ui().cmbVideoWindow, window.ui().cmbCodec}) {
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    }
    for (QString &text : texts)
        text = text.remove(u'&').remove(QRegularExpression("(:|\\s{3,}).*$")).simplified();
    texts.removeIf([](const QString &t) { return t.isEmpty() || t.startsWith("qt_"); });
    return texts;
}

constexpr int Wait = 15000; // ms the player may take to start, seek or fail

} // namespace

class PreviewTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_flv;

private Q_SLOTS:
    // Sorenson H.263 + MP3 made here, H.264 + AAC by the program's own tools.
    void initTestCase()
    {
        m_flv = m_dir.filePath("clip.flv");
        testmedia::VideoSpec video;
        video.seconds = 3;
        video.extraOutputOptions = {"-c:v", "flv1", "-c:a", "libmp3lame", "-ar", "44100"};
        QVERIFY(testmedia::makeVideo(m_flv, video));
        const QString app = applicationFolderUnderTest();
        const QString h264 = m_dir.filePath("h264.flv");
        const QString options = "-i|%1|-b|350kb/s|-r|25|-s|320x240|-ar|44100Hz|-ab|64|-ac|2|"
                                "-vcodec|h264|-acodec|aac|%2";
        QCOMPARE(testmedia::run(app + "/ffmpeg", options.arg(m_flv, h264).split(u'|')).exitCode, 0);
        QCOMPARE(testmedia::run(app + "/flvmdi", {h264}).exitCode, 0);
    }

    void aChosenFlvPlaysAndSeeks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Sorenson H.263 + MP3") << "clip.flv";
        QTest::newRow("H.264 + AAC") << "h264.flv";
    }

    void aChosenFlvPlaysAndSeeks()
    {
        QFETCH(QString, name);
        PlayerTab tab;
        tab.window.show();
        QSignalSpy frames(tab.player()->videoSink(), &QVideoSink::videoFrameChanged);
        tab.open(m_dir.filePath(name));
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() >= 1300 && frames.size() >= 20, Wait);
        QCOMPARE(tab.player()->videoSink()->videoFrame().size(), QSize(320, 240));
        QVERIFY(!tab.player()->showingMessage());
        const QString time = tab.player()->timeText();
        QVERIFY2(time.endsWith(" / 0:03") && !time.startsWith("0:00 "), qPrintable(time));
        auto *slider = tab.player()->findChild<QSlider *>("sldPosition");
        QVERIFY(slider->isEnabled());
        QCOMPARE(slider->maximum(), tab.media()->duration());

        // Paused, only a seek moves: to the start, then two steps of a second.
        auto *play = tab.player()->findChild<QPushButton *>("cmdPlay");
        QTest::mouseClick(play, Qt::LeftButton);
        QTRY_COMPARE(tab.media()->playbackState(), QMediaPlayer::PausedState);
        QTest::keyClick(slider, Qt::Key_Home);
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() < 200, Wait);
        QTest::keyClick(slider, Qt::Key_Right);
        QTest::keyClick(slider, Qt::Key_Right);
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() >= 1900, Wait);
        QCOMPARE(tab.media()->playbackState(), QMediaPlayer::PausedState);
        QTest::mouseClick(play, Qt::LeftButton);
        const qsizetype shown = frames.size();
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() >= 2300 && frames.size() > shown + 5, Wait);
    }

    void anUnplayableFileShowsTheErrorInTheTab_data()
    {
        QTest::addColumn<QByteArray>("content"); // "-": gone after the choice
        QTest::newRow("noise") << QByteArray(40000, '\x5a');
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated header") << QByteArray("FLV\x01\x05", 5);
        QTest::newRow("gone after the choice") << QByteArray("-");
    }

    void anUnplayableFileShowsTheErrorInTheTab()
    {
        QFETCH(QByteArray, content);
        const QString bad = m_dir.filePath("bad.flv");
        QFile::remove(bad);
        QVERIFY(content == "-" || testmedia::writeFile(bad, content));
        PlayerTab tab;
        tab.window.show();
        QSignalSpy frames(tab.player()->videoSink(), &QVideoSink::videoFrameChanged);
        tab.open(bad);
        QTRY_VERIFY_WITH_TIMEOUT(tab.player()->showingMessage(), Wait);
        // The player's own reason, or the tab's when the player gave none.
        const QString message = tab.player()->messageText();
        QVERIFY2(message.contains("bad.flv") && message.contains(tab.media()->errorString())
                         && message.section("\n\n", 1).size() > 10,
                 qPrintable(message));
        QCOMPARE(frames.size(), 0);
        tab.open(m_flv); // the tab keeps working
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() >= 300 && frames.size() >= 3, Wait);
        QVERIFY(!tab.player()->showingMessage());
    }

    // Whatever the player's command, the host asks for an FLV file, starting
    // from the path last chosen in any dialog; a cancel keeps what plays.
    void everyCommandAsksForAnFlvFromTheLastPath()
    {
        const auto flvRequest = [](const QString &from) {
            return FileDialogRequest {FileDialogRequest::Mode::Open,
                                      "Open FLV File",
                                      from,
                                      {"Flash Video Files (*.flv)"},
                                      true};
        };
        PlayerTab tab;
        QVERIFY(tab.player()->showingMessage());
        tab.host.swfControl_FSCommand("quit", "true");
        tab.host.swfControl_FSCommand("some.other\"command", "a|b,c");
        tab.open("/videos/first.flv");
        tab.open(QString());
        QCOMPARE(tab.media()->source(), QUrl::fromLocalFile("/videos/first.flv"));
        QCOMPARE(tab.dialogs.fileRequests,
                 QList<FileDialogRequest>(3, flvRequest("")) << flvRequest("/videos/first.flv"));
        // A watermark settings file saved the way that handler uses the dialog.
        tab.commonDialog.FileName.clear();
        tab.commonDialog.DialogTitle = "Save Watermark Settings";
        tab.commonDialog.Flags = 6;
        tab.commonDialog.Filter = "Watermark Settings File|*.wsx";
        tab.dialogs.fileAnswers = {"/home/me/marks/logo.wsx"};
        QVERIFY(tab.commonDialog.ShowSave());
        tab.open("/home/me/out/clip.flv");
        QCOMPARE(tab.dialogs.fileRequests.last(), flvRequest("/home/me/marks/logo.wsx"));
        tab.open(QString());
        QCOMPARE(tab.dialogs.fileRequests.last(), flvRequest("/home/me/out/clip.flv"));
        QCOMPARE(tab.media()->source(), QUrl::fromLocalFile("/home/me/out/clip.flv"));
    }

    // The manual in the application folder is well formed, its links land,
    // and it explains every message and every caption of the window.
    void theManualExplainsEveryMessageAndOption()
    {
        QFile file(applicationFolderUnderTest() + "/trvx_flvcn.html");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QTextDocument manual;
        manual.setHtml(html);
        QVERIFY(manual.metaInformation(QTextDocument::DocumentTitle)
                        .contains("Trovexa FLV Converter"));
        const QString text = manual.toPlainText().simplified();
        WindowFixture f;
        f.window().Form_Load();
        QStringList missing = Messages + captions(f.window());
        missing.removeIf([&](const QString &t) { return text.contains(t.simplified()); });
        for (const auto &link : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html)) {
            if (!html.contains("id=\"" + link.captured(1) + "\""))
                missing << "an id for #" + link.captured(1);
        }
        QVERIFY2(missing.isEmpty(), qPrintable("not in the manual: " + missing.join(" | ")));
    }

    // F1 and Help > Contents open the manual of the application folder,
    // whatever the current folder.
    void helpOpensTheApplicationFoldersManual()
    {
        WindowFixture f;
        f.window().show();
        QApplication::setActiveWindow(&f.window());
        QVERIFY(QTest::qWaitForWindowActive(&f.window()));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QDir::tempPath());
        QTest::keyClick(&f.window(), Qt::Key_F1);
        f.window().ui().mnuHelpContents->trigger();
        QDir::setCurrent(previous);
        const QString manual = f.folder() + "/trvx_flvcn.html";
        QCOMPARE(f.shell.opened, QStringList({manual, manual}));
    }

    // The About box is modal over the window; its links open in the browser
    // and leave it open; "&Close" ends it. (Its texts: test_window_texts.)
    void theAboutBoxLinksLeaveItOpen()
    {
        WindowFixture f;
        f.window().show();
        bool closed = false;
        QStringList credits;
        QStringList opened;
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<preview::AboutBox *>(modal)) {
                QTest::mouseClick(box->findChild<QLabel *>("lblWebSite1"), Qt::LeftButton);
                QTest::mouseClick(box->findChild<QLabel *>("lblWebSite2"), Qt::LeftButton);
                // The credits' links open through the shell, not by Qt: the
                // first one reached from the keyboard, then each one.
                auto *notice = box->findChild<QLabel *>("lblAdobe");
                notice->setFocus();
                QTest::keyClick(notice, Qt::Key_Tab);
                QTest::keyClick(notice, Qt::Key_Return);
                for (const auto &link :
                     QRegularExpression("href=\"([^\"]+)\"").globalMatch(notice->text()))
                    emit notice->linkActivated(credits.emplaceBack(link.captured(1)));
                opened = box->isVisible() ? f.shell.opened : QStringList();
                QTest::mouseClick(box->findChild<QPushButton *>("cmdClose"), Qt::LeftButton);
                closed = box->parentWidget() == &f.window() && !box->isVisible();
            }
            if (modal && modal->isVisible())
                modal->close();
        });
        f.window().ui().mnuHelpAbout->trigger();
        QVERIFY(closed);
        QCOMPARE(credits.size(), 4);
        QCOMPARE(opened,
                 QStringList({"https://www.trovexa.com/",
                              "https://www.trovexa.com/flv-converter/",
                              "https://ffmpeg.org/"})
                         + credits);
    }
};

QTEST_MAIN(PreviewTest)
#include "test_preview.moc"
