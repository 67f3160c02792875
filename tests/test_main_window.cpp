#include "support/WindowFixture.h"

#include "app/SplashWindow.h"
#include "platform/ColorCombo.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::MsgBoxAnswer::No;
using platform::MsgBoxAnswer::Yes;

namespace {

QString textOf(QWidget *widget)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        return box->title();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(widget))
        return plain->toPlainText();
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->currentText();
    return QString("<%1>").arg(widget->metaObject()->className());
}

// Every control's text and check state, to see that nothing changed.
QStringList snapshot(QWidget *window)
{
    QStringList state;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
            continue;
        QString line = w->objectName() + "=" + textOf(w);
        if (auto *check = qobject_cast<QCheckBox *>(w))
            line += QString("/%1").arg(check->checkState());
        if (auto *combo = qobject_cast<QComboBox *>(w))
            line += QString("/%1/%2").arg(combo->currentIndex()).arg(combo->count());
        state.append(line + (w->isEnabled() ? "" : "/disabled"));
    }
    return state;
}

const QString StartupFailurePrefix = "INTERNAL ERROR OCCURED - ERROR NUMBER: ";

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void captionsAndInitialTexts()
    {
        WindowFixture f;
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
        MainWindow &w = f.window();
        QCOMPARE(w.windowTitle(), QString("Trovexa - FLV Converter"));
        QVERIFY(f.boxes.shown().isEmpty());

        const std::pair<const char *, const char *> expected[] = {
                {"Frame1", "Source Video:"},
                {"cmdInput", "&Input File"},
                {"cmdOutput", "&Output Folder"},
                {"lblInput", ""},
                {"lblOutDir", ""},
                {"lblOutputFileName", "Output File Name:"},
                {"txtOutFile", ""},
                {"Frame2", "Video Encoding Options"},
                {"lblVideoWindow", "Video Window:"},
                {"lblPixels", "Pixels"},
                {"lblVideoRate", "Video Bitrate:"},
                {"lblVideoKbps", "Kbps"},
                {"chkDeInterlace", "De - Interlace"},
                {"chkImage", "Grab JPEG of 1st           Frames"},
                {"txtNumImages", "10"},
                {"lblCodec", "Codec:"},
                {"Frame3", "Audio Encoding Options"},
                {"lblAudioBitrate", "Audio Bitrate:"},
                {"lblAudioKbps", "Kbps"},
                {"lblSamplingFrequency", "Sampling Frequency:"},
                {"lblHz", "Hz"},
                {"lblAudioChannels", "Channels:"},
                {"chkDisableAudio", "Disable Audio"},
                {"lblMessage",
                 "Please read the Help file to know more about each of these options for better "
                 "encoding."},
                {"chkWatermark", "Watermark FLV File"},
                {"cmdSaveWMOptions", "&Save Watermark Options"},
                {"cmdLoadWMOptions", "&Load Watermark Options"},
                {"Frame4", ""},
                {"lblWMText", "Watermark Text:"},
                {"txtWatermark", ""},
                {"lblWMFont", "Font:"},
                {"lblWMFontSize", "Font Size:"},
                {"lblWMColor", "Watermark Color:"},
                {"lblWMPosition", "Position:        Left-                          Top-"},
                {"txtLeft", "2"},
                {"txtTop", "2"},
                {"lblWMAlpha", "Alpha:"},
                {"txtAlpha", "255"},
                {"Frame5", ""},
                {"chkQuickEncode", "Quick Encode"},
                {"cmdEncode", "Start &Encoding"},
                {"cmdExit", "E&xit Software"},
        };
        for (const auto &[name, text] : expected) {
            auto *widget = w.findChild<QWidget *>(name);
            QVERIFY2(widget, name);
            QCOMPARE(textOf(widget), QString(text));
        }
        for (const char *unchecked :
             {"chkDeInterlace", "chkImage", "chkDisableAudio", "chkWatermark", "chkQuickEncode"})
            QCOMPARE(w.findChild<QCheckBox *>(unchecked)->checkState(), Qt::Unchecked);
        QCOMPARE(w.ui().txtNumImages->maxLength(), 2);

        const QTabWidget *tabs = w.ui().sstThis;
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QString("Converter"));
        QCOMPARE(tabs->tabText(1), QString("Watermarker"));
        QCOMPARE(tabs->tabText(2), QString("FLV Player"));
        QCOMPARE(tabs->currentIndex(), 0);

        // Hidden controls exist but are not shown.
        QVERIFY(!w.ui().txtApp->isVisible());
        QVERIFY(!w.ui().lblVerWMV->isVisible());
        QVERIFY(!w.ui().cmbFontFileName->isVisibleTo(&w));
        QVERIFY(!w.ui().tmrProgress->isActive());
        QCOMPARE(w.ui().tmrProgress->interval(), 1000);
        QCOMPARE(w.EncoderArguments(), QString());
        QCOMPARE(w.WindowsFolder(), QString("/usr/share"));
    }

    void menusInOrder()
    {
        WindowFixture f;
        QMenuBar *bar = f.window().menuBar();
        QStringList seen;
        for (QAction *menu : bar->actions()) {
            seen << menu->text();
            for (QAction *item : menu->menu()->actions())
                seen << (item->isSeparator() ? "-" + item->objectName() : item->text());
        }
        QCOMPARE(seen,
                 QStringList({"&Check",
                              "Direct &X Version",
                              "-bbbccc",
                              "&Windows Media Runtime Version",
                              "-cccfff",
                              "&Quicktime Version",
                              "&Help",
                              "&Contents...",
                              "-oooppp",
                              "&About..."}));
    }

    void listDefaults()
    {
        WindowFixture f;
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
        const MainWindowUi &ui = f.window().ui();
        QCOMPARE(ui.cmbVideoWindow->count(), 13);
        QCOMPARE(ui.cmbVideoWindow->itemText(1), QString("240x180"));
        QCOMPARE(ui.cmbVideoWindow->itemText(2), QString("240x135"));
        QCOMPARE(ui.cmbVideoWindow->currentText(), QString("400x300"));
        QCOMPARE(ui.cmbVideoBitrate->count(), 9);
        QCOMPARE(ui.cmbVideoBitrate->currentText(), QString("225"));
        QCOMPARE(ui.cmbAudioSampling->currentText(), QString("22050"));
        QCOMPARE(ui.cmbAudioBitrate->count(), 10);
        QCOMPARE(ui.cmbAudioBitrate->currentText(), QString("48"));
        QCOMPARE(ui.cmbAudioChannels->currentText(), QString("Mono"));
        QCOMPARE(ui.cmbCodec->count(), 2);
        QCOMPARE(ui.cmbCodec->itemText(1), QString("H.264 + AAC"));
        QCOMPARE(ui.cmbCodec->currentText(), QString("Sorenson H.263 + MP3 (classic)"));
        QCOMPARE(ui.cmbFontName->currentIndex(), 0);
        QCOMPARE(ui.cmbFontName->currentText(), QString("DejaVu Sans"));
        QCOMPARE(ui.cmbFontFileName->currentText(), QString("truetype/dejavu/DejaVuSans.ttf"));
        QCOMPARE(ui.cmbFontSize->currentIndex(), 4);
        QCOMPARE(ui.ccbWatermarkColor->selectedPosition(), qint16(6));
        QCOMPARE(ui.ccbWatermarkColor->selectedName(), QString("white"));
        for (QComboBox *list : f.window().findChildren<QComboBox *>())
            QVERIFY2(!list->isEditable(), qPrintable(list->objectName()));
    }

    void fontFileFollowsFontName()
    {
        WindowFixture f;
        f.window().Form_Load();
        const MainWindowUi &ui = f.window().ui();
        ui.cmbFontName->setCurrentIndex(3);
        QCOMPARE(ui.cmbFontFileName->currentIndex(), 3);
        QTest::keyClick(ui.cmbFontName, Qt::Key_Down);
        QCOMPARE(ui.cmbFontFileName->currentIndex(), 4);
        QCOMPARE(ui.cmbFontFileName->count(), ui.cmbFontName->count());
    }

    void exitAsksForBothPaths()
    {
        WindowFixture f;
        MainWindow &w = f.window();
        QCOMPARE(w.Form_Load(), MainWindow::Startup::Run);
        w.ui().txtOutFile->setText("clip.flv");
        w.ui().chkDeInterlace->setChecked(true);
        w.ui().sstThis->setCurrentIndex(1);
        const QStringList before = snapshot(&w);

        f.boxes.scriptAnswers({No, No});
        QTest::mouseClick(w.ui().cmdExit, Qt::LeftButton);
        QVERIFY(w.isVisible());
        w.close(); // the close box
        QVERIFY(w.isVisible());
        const Shown question {"EXIT TROVEXA FLV CONVERTER?", 36, "Confirm"};
        QCOMPARE(f.boxes.shown(), QList<Shown>({question, question}));
        QCOMPARE(snapshot(&w), before);
        QCOMPARE(w.ui().sstThis->currentIndex(), 1);

        f.boxes.scriptAnswers({Yes});
        w.close();
        QVERIFY(!w.isVisible());
        QCOMPARE(f.boxes.shown().size(), 3);
    }

    void secondCopyShowsOnlyTheMessage()
    {
        WindowFixture f;
        f.instances.running = true;
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::End);
        QCOMPARE(f.boxes.shown(), QList<Shown>({{"THIS SOFTWARE IS ALREADY OPEN!", 16, "Error"}}));
        QVERIFY(!f.window().isVisible());
        QCOMPARE(f.window().ui().cmbVideoWindow->count(), 0);
    }

    void dataFileFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // empty: the file is missing
        QTest::addColumn<QString>("expected");
        QTest::newRow("fonts missing") << "fonts.txt" << QByteArray() << "53 - FILE NOT FOUND";
        QTest::newRow("sizes missing") << "fontsizes.txt" << QByteArray() << "53 - FILE NOT FOUND";
        QTest::newRow("colors missing") << "colors.txt" << QByteArray() << "53 - FILE NOT FOUND";
        QTest::newRow("font without comma") << "fonts.txt" << QByteArray("a.ttf,A\r\nb.ttf\r\n")
                                            << "9 - SUBSCRIPT OUT OF RANGE";
        QTest::newRow("no font") << "fonts.txt" << QByteArray("\r\n")
                                 << "9 - SUBSCRIPT OUT OF RANGE";
        QTest::newRow("four sizes") << "fontsizes.txt" << QByteArray("8\r\n9\r\n10\r\n11\r\n")
                                    << "9 - SUBSCRIPT OUT OF RANGE";
        QTest::newRow("colour not a number")
                << "colors.txt" << QByteArray("1 2 3 a\r\nx 2 3 b\r\n") << "13 - TYPE MISMATCH";
        QTest::newRow("colour too large")
                << "colors.txt" << QByteArray("40000 2 3 a\r\n") << "6 - OVERFLOW";
        QTest::newRow("colour short line")
                << "colors.txt" << QByteArray("1 2 a\r\n") << "9 - SUBSCRIPT OUT OF RANGE";
    }

    void dataFileFailures()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        WindowFixture f;
        if (content.isEmpty())
            QFile::remove(f.appFolder.filePath(file));
        else
            f.writeDataFile(file, content);

        // While the box is up, the lists filled so far are still on show.
        int videoEntries = -1;
        bool visible = false;
        f.boxes.onShow = [&](const Shown &) {
            videoEntries = f.window().ui().cmbVideoWindow->count();
            visible = f.window().isVisible();
        };
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::End);
        QCOMPARE(f.boxes.shown(),
                 QList<Shown>({{StartupFailurePrefix + expected + ". PLEASE CONTACT SUPPORT.",
                                16,
                                "Error"}}));
        QCOMPARE(videoEntries, 13);
        QVERIFY(visible);
        QVERIFY(!f.window().isVisible());
    }

    void missingColorsKeepsEarlierLists()
    {
        WindowFixture f;
        QFile::remove(f.appFolder.filePath("colors.txt"));
        int fonts = 0;
        int sizes = 0;
        f.boxes.onShow = [&](const Shown &) {
            fonts = f.window().ui().cmbFontName->count();
            sizes = f.window().ui().cmbFontSize->count();
        };
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::End);
        QVERIFY(fonts >= 10);
        QCOMPARE(sizes, 20);
    }

    void fewColoursSelectNothing()
    {
        WindowFixture f;
        f.writeDataFile("colors.txt", "0 0 0 black\r\n255 255 255 white\r\n");
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
        QCOMPARE(f.window().ui().ccbWatermarkColor->selectedPosition(), qint16(-1));
    }

    void directXRequirement()
    {
        const QString question = "THIS SOFTWARE REQUIRES DirectX 8 OR GREATER TO RUN.\r\nDO YOU "
                                 "WANT TO DOWNLOAD LATEST DirectX?";
        {
            WindowFixture f;
            f.components.directX = QString("4.08.01.0810");
            QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
            QVERIFY(f.boxes.shown().isEmpty());
        }
        {
            WindowFixture f;
            f.components.directX = QString("4.07.00.0700");
            f.boxes.scriptAnswers({Yes});
            QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
            QCOMPARE(f.boxes.shown(), QList<Shown>({{question, 36, "Message"}}));
            QCOMPARE(f.shell.opened.size(), 1);
            QVERIFY(f.shell.opened.first().startsWith("https://"));
            QVERIFY(f.shell.opened.first().endsWith("/windows/directx/default.mspx"));
            QVERIFY(f.window().isVisible());
            QVERIFY(f.window().ui().cmdEncode->isEnabled());
            QCOMPARE(f.window().cursor().shape(), Qt::ArrowCursor);
        }
        {
            WindowFixture f;
            f.components.directX = QString("4.07.00.0700");
            f.boxes.scriptAnswers({No});
            QCOMPARE(f.window().Form_Load(), MainWindow::Startup::End);
            QVERIFY(f.shell.opened.isEmpty());
            QVERIFY(!f.window().isVisible());
        }
        for (const std::optional<QString> &value :
             {std::optional<QString>(), std::optional<QString>("4.0")}) {
            WindowFixture f;
            f.components.directX = value;
            QCOMPARE(f.window().Form_Load(), MainWindow::Startup::End);
            QCOMPARE(f.boxes.shown().first().prompt,
                     StartupFailurePrefix + "13 - TYPE MISMATCH. PLEASE CONTACT SUPPORT.");
        }
    }

    void splashIsShownAndClosesByItself()
    {
        WindowFixture f;
        bool splashSeen = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            if (auto *splash = QApplication::activeModalWidget())
                splashSeen |= splash->objectName() == "frmSplash";
        });
        probe.start(1);
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
        QVERIFY(splashSeen);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // With no delay the close comes as early as it can; each start-up ends.
    void splashAlwaysCloses()
    {
        for (int run = 0; run < 300; ++run) {
            SplashWindow splash(0);
            QCOMPARE(splash.exec(), int(QDialog::Accepted));
            QVERIFY(!splash.isVisible());
        }
    }

    void checkMenuReports()
    {
        WindowFixture f;
        MainWindow &w = f.window();
        w.Form_Load();
        f.components.block.words[2] = 0x000B0000;
        f.components.block.words[3] = 0x17BF0D7A;
        f.components.systemFolder = "/lib";
        f.components.runtimeLibrary = "libavcodec.so.59";
        w.ui().mnuDirectX->trigger();
        w.ui().mnuWindows->trigger();
        w.ui().mnuQuicktime->trigger();
        QCOMPARE(f.boxes.shown(),
                 QList<Shown>({{"DirectX: 9.0", 64, "Message"},
                               {"Version: 11.0.6079.3450", 64, "Message"},
                               {"QUICKTIME IS NOT INSTALLED!", 16, "Error"}}));
        QCOMPARE(w.ui().lblVerWMV->text(), QString("/lib/libavcodec.so.59"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
