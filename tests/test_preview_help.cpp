// The manual in the application folder, the Help menu and the About box.
#include "support/WindowFixture.h"

#include "preview/AboutBox.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtTest>

#include <functional>

namespace {

// Every text the program can show the user in a message box.
const QStringList Messages
        = {"THIS SOFTWARE IS ALREADY OPEN!",
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
           "QUICKTIME IS NOT INSTALLED!"};

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

// The captions the window shows for its options, tabs and menus, without
// their access keys and colons.
QStringList captions(MainWindow &window)
{
    const MainWindowUi &ui = window.ui();
    QStringList texts;
    for (auto *button : window.findChildren<QAbstractButton *>())
        texts << button->text();
    for (auto *box : window.findChildren<QGroupBox *>())
        texts << box->title();
    for (auto *label : window.findChildren<QLabel *>()) {
        if (label->text().endsWith(u':'))
            texts << label->text();
    }
    for (QAction *menu : window.menuBar()->actions()) {
        for (QAction *item : menu->menu()->actions())
            texts << item->text();
    }
    for (int i = 0; i < ui.sstThis->count(); ++i)
        texts << ui.sstThis->tabText(i);
    for (QComboBox *list : {ui.cmbVideoWindow, ui.cmbCodec}) {
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    }
    QStringList result;
    for (QString text : texts) {
        text = text.remove(u'&').remove(QRegularExpression("(:|\\s{3,}).*$")).simplified();
        if (!text.isEmpty() && !text.startsWith("qt_") && !result.contains(text))
            result << text;
    }
    return result;
}

// Runs check on the About box that opens, then closes it with "&Close"
// (or by force, so that a failed check cannot leave the test hanging).
void onAboutBox(const std::function<void(preview::AboutBox *)> &check)
{
    QTimer::singleShot(0, [check] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<preview::AboutBox *>(modal.data()))
            check(box);
        if (auto *close = modal ? modal->findChild<QPushButton *>("cmdClose") : nullptr)
            QTest::mouseClick(close, Qt::LeftButton);
        if (modal && modal->isVisible())
            modal->close();
    });
}

} // namespace

class PreviewHelpTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The manual in the application folder is well formed, its links land,
    // and it explains every message and every caption of the window.
    void theManualExplainsEveryMessageAndOption()
    {
        const Manual manual = readManual(applicationFolderUnderTest() + "/trvx_flvcn.html");
        QVERIFY2(manual.error.isEmpty(), qPrintable(manual.error));
        QVERIFY(manual.title.contains("Trovexa FLV Converter"));
        QVERIFY(!manual.fragmentLinks.isEmpty());
        for (const QString &target : manual.fragmentLinks)
            QVERIFY2(manual.ids.contains(target), qPrintable("no id for #" + target));
        WindowFixture f;
        f.window().Form_Load();
        QStringList missing;
        for (const QString &text :
             Messages + captions(f.window()) + QStringList {".wsx", "temp.mpg", "cover1.jpg"}) {
            if (!manual.text.contains(text.simplified()))
                missing.append(text);
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
    // and leave it open; "&Close" ends it, and the next one is new.
    void theAboutBoxLinksLeaveItOpen()
    {
        WindowFixture f;
        f.window().show();
        bool modal = false;
        QString version;
        QStringList opened;
        QStringList credits;
        onAboutBox([&](preview::AboutBox *box) {
            modal = box->isModal() && box->parentWidget() == &f.window();
            version = box->findChild<QLabel *>("lblVer")->text();
            QTest::mouseClick(box->findChild<QLabel *>("lblWebSite1"), Qt::LeftButton);
            QTest::mouseClick(box->findChild<QLabel *>("lblWebSite2"), Qt::LeftButton);
            // The credits' links open through the shell, not by Qt itself:
            // the first one reached from the keyboard, then each one.
            auto *notice = box->findChild<QLabel *>("lblAdobe");
            QVERIFY(!notice->openExternalLinks());
            notice->setFocus();
            QTest::keyClick(notice, Qt::Key_Tab);
            QTest::keyClick(notice, Qt::Key_Return);
            const QRegularExpression href("href=\"([^\"]+)\"");
            for (auto it = href.globalMatch(notice->text()); it.hasNext();) {
                credits << it.next().captured(1);
                emit notice->linkActivated(credits.last());
            }
            if (box->isVisible())
                opened = f.shell.opened;
        });
        f.window().ui().mnuHelpAbout->trigger();
        QVERIFY(modal);
        QCOMPARE(version, QString("Version 1.0.0"));
        QCOMPARE(credits.size(), 4);
        QCOMPARE(opened,
                 QStringList({"https://www.trovexa.com/",
                              "https://www.trovexa.com/flv-converter/",
                              "https://ffmpeg.org/"})
                         + credits);
        QVERIFY(f.window().findChildren<preview::AboutBox *>().isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
        bool again = false;
        onAboutBox([&](preview::AboutBox *) { again = true; });
        f.window().ui().mnuHelpAbout->trigger();
        QVERIFY(again);
    }
};

QTEST_MAIN(PreviewHelpTest)
#include "test_preview_help.moc"
