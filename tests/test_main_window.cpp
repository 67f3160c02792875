#include "support/WindowFixture.h"

#include "app/SplashWindow.h"
#include "platform/ColorCombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::MsgBoxAnswer::No;
using platform::MsgBoxAnswer::Yes;

namespace {

QString startupFailure(const QString &failure)
{
    return "INTERNAL ERROR OCCURED - ERROR NUMBER: " + failure + ". PLEASE CONTACT SUPPORT.";
}

const QString DownloadPage = "https://www.trovexa.com/windows/directx/default.mspx";

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The options a first conversion gets unless the user changes them.
    void startsWithTheDefaultOptions()
    {
        WindowFixture f;
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
        QVERIFY(f.boxes.shown().isEmpty());
        const MainWindowUi &ui = f.window().ui();
        const std::tuple<QComboBox *, int, QString> lists[]
                = {{ui.cmbVideoWindow, 13, "400x300"},
                   {ui.cmbVideoBitrate, 9, "225"},
                   {ui.cmbAudioSampling, -1, "22050"},
                   {ui.cmbAudioBitrate, 10, "48"},
                   {ui.cmbAudioChannels, -1, "Mono"},
                   {ui.cmbCodec, 2, "Sorenson H.263 + MP3 (classic)"},
                   {ui.cmbFontName, -1, "DejaVu Sans"},
                   {ui.cmbFontFileName, -1, "truetype/dejavu/DejaVuSans.ttf"},
                   {ui.cmbFontSize, -1, "12"},
                   {ui.ccbWatermarkColor, -1, "white"}};
        for (const auto &[list, count, text] : lists) {
            QCOMPARE(list->currentText(), text);
            QVERIFY2(count < 0 || list->count() == count, qPrintable(list->objectName()));
            QVERIFY2(!list->isEditable(), qPrintable(list->objectName()));
        }
        for (QCheckBox *box : f.window().findChildren<QCheckBox *>())
            QCOMPARE(box->checkState(), Qt::Unchecked);
        QCOMPARE(ui.txtNumImages->text(), QString("10"));
        QVERIFY(!ui.txtApp->isVisibleTo(&f.window()));
        QVERIFY(!ui.cmbFontFileName->isVisibleTo(&f.window()));

        // The font file follows the font name.
        ui.cmbFontName->setCurrentIndex(3);
        QTest::keyClick(ui.cmbFontName, Qt::Key_Down);
        QCOMPARE(ui.cmbFontFileName->currentIndex(), 4);
        QCOMPARE(ui.cmbFontFileName->count(), ui.cmbFontName->count());
    }

    void exitAsksOnBothPaths()
    {
        WindowFixture f;
        MainWindow &w = f.window();
        QCOMPARE(w.Form_Load(), MainWindow::Startup::Run);
        w.ui().txtOutFile->setText("clip.flv");
        w.ui().sstThis->setCurrentIndex(1);
        f.boxes.scriptAnswers({No, No, Yes});
        QTest::mouseClick(w.ui().cmdExit, Qt::LeftButton);
        QVERIFY(w.isVisible());
        w.close(); // the close box
        QVERIFY(w.isVisible());
        QCOMPARE(w.ui().txtOutFile->text(), QString("clip.flv"));
        QCOMPARE(w.ui().sstThis->currentIndex(), 1);
        w.close();
        QVERIFY(!w.isVisible());
        const Shown question {"EXIT TROVEXA FLV CONVERTER?", 36, "Confirm"};
        QCOMPARE(f.boxes.shown(), QList<Shown>({question, question, question}));
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

    // A faulty data file ends the start-up with its error number; while the
    // box is up, the lists filled so far are still on show.
    void dataFileFailures()
    {
        // The file, its content ("": missing), the error.
        const std::tuple<QString, QByteArray, QString> cases[]
                = {{"fonts.txt", "", "53 - FILE NOT FOUND"},
                   {"fontsizes.txt", "", "53 - FILE NOT FOUND"},
                   {"colors.txt", "", "53 - FILE NOT FOUND"},
                   {"fonts.txt", "a.ttf,A\r\nb.ttf\r\n", "9 - SUBSCRIPT OUT OF RANGE"},
                   {"fontsizes.txt", "8\r\n9\r\n10\r\n11\r\n", "9 - SUBSCRIPT OUT OF RANGE"},
                   {"colors.txt", "1 2 3 a\r\nx 2 3 b\r\n", "13 - TYPE MISMATCH"},
                   {"colors.txt", "40000 2 3 a\r\n", "6 - OVERFLOW"}};
        for (const auto &[file, content, expected] : cases) {
            WindowFixture f;
            if (content.isEmpty())
                QFile::remove(f.appFolder.filePath(file));
            else
                f.writeDataFile(file, content);
            QList<int> entries; // video windows, fonts, font sizes
            bool visible = false;
            f.boxes.onShow = [&](const Shown &) {
                const MainWindowUi &ui = f.window().ui();
                entries = {ui.cmbVideoWindow->count(),
                           ui.cmbFontName->count(),
                           ui.cmbFontSize->count()};
                visible = f.window().isVisible();
            };
            QCOMPARE(f.window().Form_Load(), MainWindow::Startup::End);
            QCOMPARE(f.boxes.shown(), QList<Shown>({{startupFailure(expected), 16, "Error"}}));
            QCOMPARE(entries.value(0), 13);
            if (file == "colors.txt")
                QVERIFY(entries.value(1) >= 10 && entries.value(2) == 20);
            QVERIFY(visible);
            QVERIFY(!f.window().isVisible());
        }
    }

    void fewColoursSelectNothing()
    {
        WindowFixture f;
        f.writeDataFile("colors.txt", "0 0 0 black\r\n255 255 255 white\r\n");
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
        QCOMPARE(f.window().ui().ccbWatermarkColor->selectedPosition(), qint16(-1));
    }

    // DirectX 8 or later runs; an older one asks to download it, a value
    // that is no version ends the start-up.
    void directXRequirement()
    {
        const QString question = "THIS SOFTWARE REQUIRES DirectX 8 OR GREATER TO RUN.\r\nDO YOU "
                                 "WANT TO DOWNLOAD LATEST DirectX?";
        const QString mismatch = startupFailure("13 - TYPE MISMATCH");
        // The registry's value ("-": none), the answer, whether it runs, the box.
        const std::tuple<QString, int, bool, QString> cases[]
                = {{"4.08.01.0810", 0, true, ""},
                   {"4.07.00.0700", Yes, true, question},
                   {"4.07.00.0700", No, false, question},
                   {"-", 0, false, mismatch},
                   {"4.0", 0, false, mismatch}};
        for (const auto &[registry, answer, runs, prompt] : cases) {
            WindowFixture f;
            f.components.directX = registry == "-" ? std::nullopt : std::optional(registry);
            f.boxes.scriptAnswers({answer});
            QCOMPARE(f.window().Form_Load(),
                     runs ? MainWindow::Startup::Run : MainWindow::Startup::End);
            QCOMPARE(f.boxes.shown().value(0).prompt, prompt);
            QCOMPARE(f.window().isVisible(), runs);
            QCOMPARE(f.shell.opened.join(""), answer == Yes ? DownloadPage : "");
            QVERIFY(!runs || f.window().ui().cmdEncode->isEnabled());
            QCOMPARE(f.window().cursor().shape(), Qt::ArrowCursor);
        }
    }

    // The splash shows while the window starts, and closes by itself however
    // early its close comes.
    void splashAlwaysCloses()
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
        for (int run = 0; run < 300; ++run) {
            SplashWindow splash(0);
            QCOMPARE(splash.exec(), int(QDialog::Accepted));
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
