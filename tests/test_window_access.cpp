// Ways into the window besides the mouse: a file handed over on the command
// line or dropped on the Converter tab, and the names and Tab order a
// keyboard or screen-reader user meets.
#include "support/WindowFixture.h"

#include "app/StartOptions.h"
#include "platform/ColorCombo.h"
#include "platform/UpDown.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using Shown = platform::RecordingMessageBoxes::Shown;

namespace {

// Drags the paths over a widget and drops them there; true when the window
// took the drag.
bool drop(QWidget *target, const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents();
    return enter.isAccepted();
}

// The name a screen reader gives a control. A list's own name is its
// current entry; readers name it by the caption that labels it.
QString heardName(QWidget *control)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
    if (!face)
        return {};
    if (face->role() != QAccessible::ComboBox)
        return face->text(QAccessible::Name);
    // Its frame labels it too; the reader names it by its own caption.
    QStringList labels;
    for (const auto &[other, relation] : face->relations(QAccessible::Label)) {
        if (other->role() == QAccessible::StaticText)
            labels << other->text(QAccessible::Name);
    }
    if (labels.size() != 1)
        return labels.join(u'|');
    const QString label = labels.first();
    return label.endsWith(u':') ? label.chopped(1) : label;
}

// The controls of a tab in the order Tab visits them, starting at first and
// going once round: their object names, or for the spinner's buttons their
// accessible names.
QStringList tabCycle(QWidget *first, QWidget *page)
{
    QStringList visited;
    QWidget *w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && page->isAncestorOf(w) && w->isVisibleTo(page)
            && w->isEnabled())
            visited << (w->objectName().isEmpty() ? w->accessibleName() : w->objectName());
        w = w->nextInFocusChain();
    } while (w != first);
    return visited;
}

} // namespace

class WindowAccessTest : public QObject
{
    Q_OBJECT
    // One window for every case, started once.
    std::unique_ptr<WindowFixture> m_fixture;

private Q_SLOTS:
    void initTestCase()
    {
        m_fixture = std::make_unique<WindowFixture>();
        QCOMPARE(m_fixture->window().Form_Load(), MainWindow::Startup::Run);
    }

    void cleanupTestCase() { m_fixture.reset(); }

    void handedOverSources_data()
    {
        QTest::addColumn<QStringList>("names"); // "name/": a folder
        QTest::addColumn<QString>("expectedName"); // "": refused
        QTest::addColumn<QString>("message");
        QTest::newRow("avi") << QStringList {"in put/Émile's clip.avi"} << "Émile's clip.flv"
                             << QString();
        QTest::newRow("upper-case type") << QStringList {"CLIP.MPEG"} << "CLIP.flv" << QString();
        QTest::newRow("missing") << QStringList {"gone.avi"} << QString()
                                 << "FILE NOT FOUND: %1/gone.avi";
        QTest::newRow("folder") << QStringList {"videos.mpg/"} << QString()
                                << "PLEASE CHOOSE A VIDEO FILE, NOT A FOLDER!";
        QTest::newRow("other type")
                << QStringList {"notes.txt"} << QString()
                << "UNSUPPORTED FILE TYPE! SUPPORTED VIDEO FILES: *.mpg *.mpeg *.avi *.wmv "
                   "*.asf *.flv *.mov *.mp4 *.3gp *.vob *.dat";
        QTest::newRow("two files") << QStringList {"a.avi", "b.avi"} << QString()
                                   << "PLEASE CHOOSE ONE VIDEO FILE AT A TIME!";
    }

    // The command line and a drop anywhere on the Converter tab do what
    // Input File does, or show an "Error" box and change nothing.
    void handedOverSources()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, expectedName);
        QFETCH(QString, message);
        WindowFixture &f = *m_fixture;
        const MainWindowUi &ui = f.window().ui();
        QTemporaryDir media;
        QStringList paths;
        for (const QString &name : names) {
            paths << media.filePath(name.chopped(name.endsWith(u'/') ? 1 : 0));
            QDir().mkpath(QFileInfo(paths.last()).path());
            if (name.endsWith(u'/'))
                QDir().mkpath(paths.last());
            else if (!name.startsWith("gone"))
                QFile(paths.last()).open(QIODevice::WriteOnly);
        }

        const std::pair<const char *, std::function<void()>> ways[] = {
                {"command line",
                 [&] {
                     f.window().openSource(paths);
                 }},
                {"drop on the tab",
                 [&] {
                     QVERIFY(drop(ui.sstThis->widget(0), paths));
                 }},
                {"drop on the name box",
                 [&] {
                     QVERIFY(drop(ui.txtOutFile, paths));
                 }},
                {"drop on a list",
                 [&] {
                     QVERIFY(drop(ui.cmbAudioBitrate, paths));
                 }},
        };
        for (const auto &[way, handOver] : ways) {
            ui.lblInput->setText("/earlier/choice.mpg");
            ui.txtOutFile->setText("mine.flv");
            f.boxes.clear();
            handOver();
            if (expectedName.isEmpty()) {
                QCOMPARE(f.boxes.shown(), QList<Shown>({{message.arg(media.path()), 16, "Error"}}));
                QCOMPARE(ui.lblInput->text(), QString("/earlier/choice.mpg"));
                QCOMPARE(ui.txtOutFile->text(), QString("mine.flv"));
            } else {
                QVERIFY2(f.boxes.shown().isEmpty(), way);
                QCOMPARE(ui.lblInput->text(), paths.first());
                QCOMPARE(ui.txtOutFile->text(), expectedName);
                // Input File opens next at the file handed over.
                QTest::mouseClick(ui.cmdInput, Qt::LeftButton);
                QCOMPARE(f.dialogs.fileRequests.last().initialPath, paths.first());
            }
        }
    }

    void commandLineFiles_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("none") << QStringList {"trovexa"} << QStringList {};
        QTest::newRow("one") << QStringList {"trovexa", "My Clip.avi"}
                             << QStringList {"My Clip.avi"};
        QTest::newRow("after --") << QStringList {"trovexa", "--", "-x.mpg"}
                                  << QStringList {"-x.mpg"};
        QTest::newRow("two") << QStringList {"trovexa", "a.avi", "b.avi"}
                             << QStringList {"a.avi", "b.avi"};
    }

    void commandLineFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QCOMPARE(readStartOptions(arguments).files, files);
    }

    void noDropsWhileAJobRuns()
    {
        WindowFixture &f = *m_fixture;
        const MainWindowUi &ui = f.window().ui();
        QTemporaryDir media;
        QFile(media.filePath("clip.avi")).open(QIODevice::WriteOnly);
        ui.lblInput->setText("/earlier/choice.mpg");
        f.boxes.clear();
        ui.cmdEncode->setEnabled(false);
        const bool taken = drop(ui.txtOutFile, {media.filePath("clip.avi")});
        ui.cmdEncode->setEnabled(true);
        QVERIFY(!taken);
        QVERIFY(f.boxes.shown().isEmpty());
        QCOMPARE(ui.lblInput->text(), QString("/earlier/choice.mpg"));
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("control"); // object name; updAlpha.up/down: its buttons
        QTest::addColumn<QString>("name");
        QTest::newRow("output name") << "txtOutFile"
                                     << "Output File Name";
        QTest::newRow("video window") << "cmbVideoWindow"
                                      << "Video Window";
        QTest::newRow("video bitrate") << "cmbVideoBitrate"
                                       << "Video Bitrate";
        QTest::newRow("frame count") << "txtNumImages"
                                     << "Number of Frames";
        QTest::newRow("codec") << "cmbCodec"
                               << "Codec";
        QTest::newRow("audio bitrate") << "cmbAudioBitrate"
                                       << "Audio Bitrate";
        QTest::newRow("sampling") << "cmbAudioSampling"
                                  << "Sampling Frequency";
        QTest::newRow("channels") << "cmbAudioChannels"
                                  << "Channels";
        QTest::newRow("watermark text") << "txtWatermark"
                                        << "Watermark Text";
        QTest::newRow("font") << "cmbFontName"
                              << "Font";
        QTest::newRow("font size") << "cmbFontSize"
                                   << "Font Size";
        QTest::newRow("colour") << "ccbWatermarkColor"
                                << "Watermark Color";
        QTest::newRow("left") << "txtLeft"
                              << "Left";
        QTest::newRow("top") << "txtTop"
                             << "Top";
        QTest::newRow("alpha") << "txtAlpha"
                               << "Alpha";
        QTest::newRow("alpha up") << "updAlpha.up"
                                  << "Increase Alpha";
        QTest::newRow("alpha down") << "updAlpha.down"
                                    << "Decrease Alpha";
    }

    void accessibleNames()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        WindowFixture &f = *m_fixture;
        const auto *spinner = f.window().findChild<platform::UpDown *>("updAlpha");
        QWidget *widget = control == "updAlpha.up" ? spinner->upButton()
                : control == "updAlpha.down"       ? spinner->downButton()
                                                   : f.window().findChild<QWidget *>(control);
        QVERIFY(widget);
        QCOMPARE(heardName(widget), name);
    }

    // Every control of each tab, in reading order.
    void tabFollowsReadingOrder()
    {
        WindowFixture &f = *m_fixture;
        const MainWindowUi &ui = f.window().ui();
        QCOMPARE(tabCycle(ui.cmdInput, ui.sstThis->widget(0)),
                 QStringList({"cmdInput",
                              "cmdOutput",
                              "txtOutFile",
                              "cmbVideoWindow",
                              "cmbVideoBitrate",
                              "chkDeInterlace",
                              "chkImage",
                              "txtNumImages",
                              "cmbCodec",
                              "cmbAudioBitrate",
                              "cmbAudioSampling",
                              "cmbAudioChannels",
                              "chkDisableAudio"}));
        QCOMPARE(tabCycle(ui.chkWatermark, ui.sstThis->widget(1)),
                 QStringList({"chkWatermark",
                              "cmdSaveWMOptions",
                              "cmdLoadWMOptions",
                              "txtWatermark",
                              "cmbFontName",
                              "cmbFontSize",
                              "ccbWatermarkColor",
                              "txtLeft",
                              "txtTop",
                              "txtAlpha",
                              "Increase Alpha",
                              "Decrease Alpha"}));
        // Play and the position slider wait for a file.
        QCOMPARE(tabCycle(f.window().findChild<QWidget *>("cmdOpen"), ui.sstThis->widget(2)),
                 QStringList({"cmdOpen", "sldVolume"}));
    }
};

QTEST_MAIN(WindowAccessTest)
#include "test_window_access.moc"
