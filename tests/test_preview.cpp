// SPDX-License-Identifier: GPL-3.0-or-later
// The FLV player tab playing real files and its file requests; the Help menu.
#include "support/DataRows.h"
#include "support/WindowFixture.h"

#include "preview/AboutBox.h"
#include "preview/FlvPlayer.h"
#include "preview/PreviewHost.h"

#include <QtMultimedia>
#include <QtTest>
#include <QtWidgets>

using platform::FileDialogRequest;
using enum FileDialogRequest::Mode;

namespace {

// The FLV Player tab as the main window hosts it, with doubles for the file dialog and the shell.
struct PlayerTab
{
    platform::ScriptedDialogs dialogs;
    platform::RecordingShell shell;
    platform::CommonDialog commonDialog {dialogs};
    QWidget window;
    QWidget *swfControl = new QWidget(&window);
    preview::PreviewHost host {swfControl, commonDialog, shell, "/opt/trovexa", &window};

    preview::FlvPlayer *player() const { return host.swfControl(); }
    QMediaPlayer *media() const { return player()->mediaPlayer(); }

    // The user presses Open and picks path in the dialog.
    void open(const QString &path)
    {
        dialogs.fileAnswers = {path};
        QTest::mouseClick(player()->findChild<QPushButton *>("cmdOpen"), Qt::LeftButton);
    }
};

// The captions of the window's options, tabs, menus and lists, without
// access keys, colons and what follows them.
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
    for (QComboBox *list : {window.ui().cmbVideoWindow, window.ui().cmbCodec})
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
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
private Q_SLOTS:
    // Open asks for an FLV file from the path last chosen in any dialog; files that
    // cannot play show why, a good one plays and seeks; a cancel keeps what plays.
    void thePlayerAsksPlaysSeeksAndReportsBadFiles()
    {
        const QString clip = m_dir.filePath("clip.flv"), logo = m_dir.filePath("logo.wsx");
        testmedia::VideoSpec video;
        video.seconds = 3;
        video.extraOutputOptions = QString("-c:v flv1 -c:a libmp3lame -ar 44100").split(' ');
        QVERIFY(testmedia::makeVideo(clip, video));
        PlayerTab tab;
        tab.window.show();
        QSignalSpy frames(tab.player()->videoSink(), &QVideoSink::videoFrameChanged);
        tab.dialogs.fileAnswers = {logo}; // a path chosen in another dialog, then cancels
        QVERIFY(tab.commonDialog.ShowSave());
        tab.host.swfControl_FSCommand("quit", "true");
        tab.host.swfControl_FSCommand("some.other\"command", "a|b,c");
        QStringList chosen {logo, logo, logo};
        auto *slider = tab.player()->findChild<QSlider *>("sldPosition");
        // noise, empty, a cut header, a file gone after the choice ("-")
        const QByteArray bad[] = {QByteArray(40000, 'Z'), "", QByteArray("FLV\x01\x05", 5), "-"};
        for (int i = 0; i < 4; ++i) {
            const QString name = QString("bad%1.flv").arg(i);
            QVERIFY(bad[i] == "-" || testmedia::writeFile(m_dir.filePath(name), bad[i]));
            tab.open(chosen.emplaceBack(m_dir.filePath(name)));
            QTRY_VERIFY_WITH_TIMEOUT(tab.player()->messageText().contains(name), Wait);
            // The player's own reason, or the tab's when the player gave none.
            const QString message = tab.player()->messageText();
            QVERIFY2(message.contains(tab.media()->errorString())
                             && message.section("\n\n", 1).size() > 10,
                     qPrintable(message));
            QVERIFY(frames.isEmpty() && !slider->isEnabled());
        }
        tab.open(chosen.emplaceBack(clip));
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() >= 1300 && frames.size() >= 20, Wait);
        QVERIFY(!tab.player()->showingMessage());
        const QString time = tab.player()->timeText();
        QVERIFY2(time.endsWith(" / 0:03") && !time.startsWith("0:00 "), qPrintable(time));
        QVERIFY(slider->maximum() == tab.media()->duration() && slider->isEnabled());
        QTest::keyClick(tab.player()->findChild<QSlider *>("sldVolume"), Qt::Key_End);
        QCOMPARE(tab.media()->audioOutput()->volume(), 1.0f);

        // Paused, only a seek moves: to the start, then two steps of a second.
        auto *play = tab.player()->findChild<QPushButton *>("cmdPlay");
        QCOMPARE(play->toolTip(), QString("Pause"));
        QTest::mouseClick(play, Qt::LeftButton);
        QTRY_COMPARE(tab.media()->playbackState(), QMediaPlayer::PausedState);
        QCOMPARE(play->toolTip(), QString("Play"));
        QTest::keyClick(slider, Qt::Key_Home);
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() < 200, Wait);
        QTest::keyClick(slider, Qt::Key_Right);
        QTest::keyClick(slider, Qt::Key_Right);
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() >= 1900, Wait);
        QCOMPARE(tab.media()->playbackState(), QMediaPlayer::PausedState);
        QTest::mouseClick(play, Qt::LeftButton);
        const qsizetype shown = frames.size();
        QTRY_VERIFY_WITH_TIMEOUT(tab.media()->position() >= 2300 && frames.size() > shown + 5, Wait);
        tab.open(QString());
        QCOMPARE(tab.media()->source(), QUrl::fromLocalFile(clip));
        QList<FileDialogRequest> asked;
        for (const QString &from : chosen)
            asked << FileDialogRequest {Open,
                                        "Open FLV File",
                                        from,
                                        {"Flash Video Files (*.flv)"},
                                        true};
        QCOMPARE(tab.dialogs.fileRequests.mid(1), asked);
    }

    // F1 and Help > Contents open the application folder's manual from any current
    // folder; its links land and it explains every caption and data/manual_terms.txt.
    // The modal About box opens its links in the browser and stays; "&Close" ends it.
    void theHelpMenu()
    {
        WindowFixture f;
        const QString manual = f.folder() + "/trvx_flvcn.html";
        QVERIFY(QFile::link(applicationFolderUnderTest() + "/trvx_flvcn.html", manual));
        f.window().Form_Load();
        f.window().show();
        QApplication::setActiveWindow(&f.window());
        QVERIFY(QTest::qWaitForWindowActive(&f.window()));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QDir::tempPath());
        QTest::keyClick(&f.window(), Qt::Key_F1);
        f.ui().mnuHelpContents->trigger();
        QDir::setCurrent(previous);
        QCOMPARE(f.shell.opened, QStringList({manual, manual}));

        const QString html = QString::fromUtf8(testmedia::readFile(manual));
        QTextDocument document;
        document.setHtml(html);
        QVERIFY(document.metaInformation(QTextDocument::DocumentTitle)
                        .contains("Trovexa FLV Converter"));
        const QString text = document.toPlainText().simplified();
        const auto terms = dataRows("manual_terms.txt");
        QVERIFY(terms.size() > 30);
        QStringList missing;
        for (const auto &[line, term] : terms)
            if (!text.contains(term[0].simplified()))
                missing << QString("manual_terms.txt:%1: %2").arg(line).arg(term[0]);
        for (const QString &caption : captions(f.window()))
            if (!text.contains(caption))
                missing << caption;
        for (const auto &link : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html))
            if (!html.contains("id=\"" + link.captured(1) + "\""))
                missing << "an id for #" + link.captured(1);
        QVERIFY2(missing.isEmpty(), qPrintable("not in the manual: " + missing.join(" | ")));

        f.shell.opened.clear();
        bool closed = false;
        QStringList credits, opened;
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
        f.ui().mnuHelpAbout->trigger();
        QVERIFY(closed);
        QCOMPARE(credits.size(), 5);
        QCOMPARE(opened,
                 QStringList({"https://www.trovexa.com/",
                              "https://www.trovexa.com/flv-converter/",
                              "https://www.gnu.org/licenses/gpl-3.0.html"})
                         + credits);
    }
};

QTEST_MAIN(PreviewTest)
#include "test_preview.moc"
