// The manual in the application folder, the Help menu and the About box.
#include "app/MainWindowUi.h"
#include "app/OptionLists.h"
#include "preview/AboutBox.h"
#include "preview/PreviewHost.h"

#include "doubles/RecordingShell.h"
#include "doubles/ScriptedDialogs.h"
#include "platform/CommonDialog.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtTest>

#include <functional>

namespace {

QString applicationFolder()
{
    return qEnvironmentVariable("TROVEXA_APP_DIR");
}

// Every text the program can show the user in a message box.
const QStringList Messages = {
        "THIS SOFTWARE IS ALREADY OPEN!",
        "INTERNAL ERROR OCCURED - ERROR NUMBER: ",
        "PLEASE CONTACT SUPPORT.",
        "THIS SOFTWARE REQUIRES DirectX 8 OR GREATER TO RUN.",
        "DO YOU WANT TO DOWNLOAD LATEST DirectX?",
        "EXIT TROVEXA FLV CONVERTER?",
        "NO FILE TO ENCODE!",
        "OUTPUT FOLDER MISSING!",
        "OUTPUT FILE NAME MISSING!",
        "INVALID OUTPUT FILE NAME! MUST BE A .FLV FILE.",
        "WATERMARK TEXT MISSING!",
        "OUTPUT FILE CANNOT BE THE SOURCE FILE!",
        "OUTPUT FILE ALREADY EXISTS! OVERWRITE?",
        "ENCODING SUCCESSFUL!",
        "ENCODING FAILED! POSSIBLE REASON IS A DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE "
        "VIDEO FILE.",
        "FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!",
        "FLV METADATA INJECTION FAILED!",
        "IMAGE(S) GENERATED!",
        "IMAGE GENERATION FAILED!",
        "NO SUCH FILE OR DIRECTORY",
        "AUDIO FORMAT FAILURE! DO YOU WANT TO CONTINUE?",
        "VIDEO GIVES ZERO SEC DURATION. CANNOT PROCESS",
        "FAILED TO SAVE NORMALIZED FILE!",
        "NORMALIZATION FAILED! POSSIBLE REASON IS A DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED "
        "SOURCE VIDEO FILE.",
        "ENCODING IS IN PROGRESS. ABORT?",
        "SETTINGS SAVED AS ",
        "DirectX: 9.0",
        "Version: ",
        "QuickTime: ",
        "QUICKTIME IS NOT INSTALLED!",
};

// The captions of the options on the Converter and Watermarker tabs, and
// of the other controls the manual explains.
const QStringList Captions = {
        "Input File",
        "Output Folder",
        "Output File Name",
        "Video Window",
        "Video Bitrate",
        "De - Interlace",
        "Grab JPEG of 1st",
        "Codec",
        "Sorenson H.263 + MP3 (classic)",
        "H.264 + AAC",
        "Audio Bitrate",
        "Sampling Frequency",
        "Channels",
        "Disable Audio",
        "Watermark FLV File",
        "Save Watermark Options",
        "Load Watermark Options",
        "Watermark Text",
        "Font",
        "Font Size",
        "Watermark Color",
        "Position",
        "Alpha",
        "Quick Encode",
        "Start Encoding",
        "Exit Software",
        "FLV Player",
        "Open FLV File",
        "Direct X Version",
        "Windows Media Runtime Version",
        "Quicktime Version",
        "Contents",
        "About",
        ".wsx",
        "temp.mpg",
        "cover1.jpg",
};

struct Manual
{
    QString error;
    QString text; // the readable text, entities resolved, white space collapsed
    QSet<QString> ids;
    QStringList fragmentLinks;
    QString title;
};

Manual readManual(const QString &path)
{
    Manual manual;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        manual.error = file.errorString();
        return manual;
    }
    QXmlStreamReader xml(&file);
    QStringList open;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            open.append(xml.name().toString());
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.hasAttribute("id"))
                manual.ids.insert(attributes.value("id").toString());
            const QString href = attributes.value("href").toString();
            if (href.startsWith(u'#'))
                manual.fragmentLinks.append(href.mid(1));
            break;
        }
        case QXmlStreamReader::EndElement:
            open.removeLast();
            break;
        case QXmlStreamReader::Characters:
            if (open.contains("title"))
                manual.title += xml.text();
            else if (!open.contains("style"))
                manual.text += xml.text().toString() + u' ';
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        manual.error = QString("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    manual.text = manual.text.simplified();
    return manual;
}

// Runs check on the modal box that opens, then closes it with "&Close"
// (or by force, so that a failed check cannot leave the test hanging).
void onModalBox(const std::function<void(preview::AboutBox *)> &check)
{
    QTimer::singleShot(0, [check] {
        QPointer<preview::AboutBox> box = qobject_cast<preview::AboutBox *>(
                QApplication::activeModalWidget());
        if (!box) {
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        check(box);
        if (!box)
            return;
        if (auto *close = box->findChild<QPushButton *>("cmdClose"))
            QTest::mouseClick(close, Qt::LeftButton);
        if (box && box->isVisible())
            box->reject();
    });
}

} // namespace

class PreviewHelpTest : public QObject
{
    Q_OBJECT

    struct Window
    {
        platform::ScriptedDialogs dialogs;
        platform::RecordingShell shell;
        platform::CommonDialog commonDialog {dialogs};
        QMainWindow window;
        MainWindowUi ui;
        preview::PreviewHost *host = nullptr;

        Window()
        {
            ui.setupUi(&window);
            host = new preview::PreviewHost(ui.swfControl,
                                            commonDialog,
                                            shell,
                                            applicationFolder(),
                                            &window);
            QObject::connect(ui.mnuHelpContents,
                             &QAction::triggered,
                             host,
                             &preview::PreviewHost::mnuHelpContents_Click);
            QObject::connect(ui.mnuHelpAbout,
                             &QAction::triggered,
                             host,
                             &preview::PreviewHost::mnuHelpAbout_Click);
        }
    };

private Q_SLOTS:
    void theManualIsInTheApplicationFolder()
    {
        QVERIFY(!applicationFolder().isEmpty());
        const QFileInfo info(applicationFolder() + "/trvx_flvcn.html");
        QVERIFY2(info.isFile(), qPrintable(info.filePath()));
        QVERIFY(info.size() > 20000);
    }

    void theManualIsWellFormedAndItsLinksLand()
    {
        const Manual manual = readManual(applicationFolder() + "/trvx_flvcn.html");
        QVERIFY2(manual.error.isEmpty(), qPrintable(manual.error));
        QVERIFY(manual.title.contains("Trovexa FLV Converter"));
        QVERIFY(!manual.fragmentLinks.isEmpty());
        for (const QString &target : manual.fragmentLinks)
            QVERIFY2(manual.ids.contains(target), qPrintable("no id for #" + target));
    }

    void theManualExplainsEveryMessageAndOption()
    {
        const Manual manual = readManual(applicationFolder() + "/trvx_flvcn.html");
        QVERIFY2(manual.error.isEmpty(), qPrintable(manual.error));
        QStringList missing;
        // Every frame size of the Video Window list has its advice.
        for (const QString &text : Messages + Captions + OptionLists::videoWindow().entries) {
            if (!manual.text.contains(text.simplified()))
                missing.append(text);
        }
        QVERIFY2(missing.isEmpty(), qPrintable("not in the manual: " + missing.join(" | ")));
    }

    void f1AndContentsOpenTheApplicationFoldersCopy()
    {
        Window w;
        w.window.show();
        QApplication::setActiveWindow(&w.window);
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        const QString expected = applicationFolder() + "/trvx_flvcn.html";
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QDir::tempPath());

        QTest::keyClick(&w.window, Qt::Key_F1);
        w.ui.mnuHelpContents->trigger();
        QDir::setCurrent(previous);
        QCOMPARE(w.shell.opened, QStringList({expected, expected}));
        QVERIFY(w.dialogs.fileRequests.isEmpty());
    }

    void theAboutBoxIsModalAndItsLinksLeaveItOpen()
    {
        Window w;
        w.window.show();
        struct Seen
        {
            bool modal = false;
            bool ownedByWindow = false;
            QString caption, uses, version, close, notice;
            QStringList linksOpenedWhileOpen;
            QString tooltip;
            QSize icon, badge;
            bool linksInFrame = false;
        } seen;
        onModalBox([&](preview::AboutBox *box) {
            seen.modal = box->isModal() && QApplication::activeModalWidget() == box;
            seen.ownedByWindow = box->parentWidget() == &w.window;
            seen.caption = box->windowTitle();
            seen.uses = box->findChild<QLabel *>("lblUses")->text();
            seen.version = box->findChild<QLabel *>("lblVer")->text();
            seen.close = box->findChild<QPushButton *>("cmdClose")->text();
            seen.notice = box->findChild<QLabel *>("lblAdobe")->text();
            seen.icon = box->findChild<QLabel *>("imgAbout")->pixmap().size();
            seen.badge = box->findChild<QLabel *>("Image2")->pixmap().size();
            auto *frame = box->findChild<QGroupBox *>("Frame1");
            auto *link1 = box->findChild<QLabel *>("lblWebSite1");
            auto *link2 = box->findChild<QLabel *>("lblWebSite2");
            seen.linksInFrame = frame && frame->title().isEmpty() && frame->isAncestorOf(link1)
                    && frame->isAncestorOf(link2);
            seen.tooltip = link1->toolTip();
            QTest::mouseClick(link1, Qt::LeftButton);
            if (box->isVisible())
                seen.linksOpenedWhileOpen = w.shell.opened;
            QTest::mouseClick(link2, Qt::LeftButton);
            if (box->isVisible())
                seen.linksOpenedWhileOpen = w.shell.opened;
        });
        w.ui.mnuHelpAbout->trigger();

        QVERIFY(seen.modal);
        QVERIFY(seen.ownedByWindow);
        QCOMPARE(seen.caption, QString("Trovexa FLV Converter"));
        QCOMPARE(seen.uses, QString("Trovexa FLV Converter uses FLVMDI"));
        QCOMPARE(seen.version, QString("Version 1.0.0"));
        QCOMPARE(seen.close, QString("&Close"));
        QCOMPARE(seen.icon, QSize(32, 32));
        QCOMPARE(seen.badge, QSize(100, 28));
        QVERIFY(seen.linksInFrame);
        QCOMPARE(seen.tooltip, QString("Visit Website"));
        QCOMPARE(seen.linksOpenedWhileOpen,
                 QStringList(
                         {"https://www.trovexa.com/", "https://www.trovexa.com/flv-converter/"}));
        for (const char *credit : {"FFmpeg", "flvmeta", "Qt", "GStreamer", "GPL", "LGPL"})
            QVERIFY2(seen.notice.contains(credit), credit);

        // Closed with "&Close", the box is gone; the next one is new.
        QVERIFY(w.window.findChildren<preview::AboutBox *>().isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
        bool again = false;
        onModalBox([&](preview::AboutBox *) { again = true; });
        w.host->mnuHelpAbout_Click();
        QVERIFY(again);
    }
};

QTEST_MAIN(PreviewHelpTest)
#include "test_preview_help.moc"
