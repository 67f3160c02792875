// SPDX-License-Identifier: GPL-3.0-or-later
// The window at start-up and on the way out, and the ways into it besides the
// mouse: the command line, drops, and what keyboard and screen-reader users meet.
#include "support/DataRows.h"
#include "support/WindowFixture.h"

#include "app/SplashWindow.h"
#include "pipeline/JobQueue.h"
#include "platform/ColorCombo.h"
#include "platform/UpDown.h"

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>
#include <unistd.h>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::MsgBoxAnswer::No;
using platform::MsgBoxAnswer::Yes;

namespace {

// Drags the paths over a widget and drops them; true when the window took the drag.
bool drop(QWidget *target, const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    data.setText(paths.join(u'\n')); // as file managers give it: text boxes would take it
    QDragEnterEvent enter({1, 1}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped({1, 1}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents();
    return enter.isAccepted();
}

// The name a screen reader gives a control; a list is named by its caption.
QString heardName(QWidget *control)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
    if (face->role() != QAccessible::ComboBox)
        return face->text(QAccessible::Name);
    QStringList labels;
    for (const auto &[other, relation] : face->relations(QAccessible::Label))
        if (other->role() == QAccessible::StaticText)
            labels << other->text(QAccessible::Name).remove(u':');
    return labels.join(u'|');
}

// The controls of a tab in the order Tab visits them, once round from first.
QString tabCycle(QWidget *first, QWidget *page)
{
    QStringList visited;
    QWidget *w = first;
    do
        if ((w->focusPolicy() & Qt::TabFocus) && page->isAncestorOf(w) && w->isVisibleTo(page)
            && w->isEnabled())
            visited << (w->objectName().isEmpty() ? w->accessibleName() : w->objectName());
    while ((w = w->nextInFocusChain()) != first);
    return visited.join(u' ');
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
    testmedia::OwnConfigFolder m_config; // for the real program's runs

private Q_SLOTS:
    // At the start size every list shows its current entry whole.
    void listsShowTheirEntry()
    {
        WindowFixture f;
        f.window().Form_Load();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        QStringList cut;
        for (int tab = 0; tab < f.ui().sstThis->count(); ++tab) {
            f.ui().sstThis->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            for (QComboBox *list : f.window().findChildren<QComboBox *>()) {
                QStyleOptionComboBox option;
                option.initFrom(list);
                option.editable = list->isEditable();
                option.currentText = list->currentText();
                const QStyle::SubControl field = QStyle::SC_ComboBoxEditField;
                const int room = list->style()
                                         ->subControlRect(QStyle::CC_ComboBox, &option, field, list)
                                         .width();
                const int needed = list->fontMetrics().horizontalAdvance(list->currentText());
                if (list->isVisible() && room < needed)
                    cut << QString("%1 %2<%3").arg(list->objectName()).arg(room).arg(needed);
            }
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(", ")));
    }

    // A first start: the splash while it starts, the font file that follows
    // the font, the Check menu, and the exit question on both paths.
    void firstStart()
    {
        WindowFixture f;
        const MainWindowUi &ui = f.ui();
        bool splashSeen = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            if (auto *splash = QApplication::activeModalWidget())
                splashSeen |= splash->objectName() == "frmSplash";
        });
        probe.start(1);
        QCOMPARE(f.window().Form_Load(), MainWindow::Startup::Run);
        QVERIFY(splashSeen && !QApplication::activeModalWidget());
        for (int run = 0; run < 300; ++run) // it closes however early its close comes
            QCOMPARE(SplashWindow(0).exec(), int(QDialog::Accepted));
        QTest::keyClick(ui.cmbFontName, Qt::Key_Down);
        QCOMPARE(ui.cmbFontFileName->currentText(), "truetype/dejavu/DejaVuSans-Bold.ttf");

        f.components.runtimeLibrary = "libavcodec.so.59";
        f.components.systemFolder = "/lib";
        for (QAction *menu : {ui.mnuDirectX, ui.mnuWindows, ui.mnuQuicktime})
            menu->trigger();
        QCOMPARE(ui.lblVerWMV->text(), QString("/lib/libavcodec.so.59"));
        f.boxes.scriptAnswers({No, No, Yes});
        QTest::mouseClick(ui.cmdExit, Qt::LeftButton);
        f.window().close(); // the close box
        QVERIFY(f.window().isVisible());
        f.window().close();
        QVERIFY(!f.window().isVisible());
        const QString exit = ";EXIT TROVEXA FLV CONVERTER?|36|Confirm";
        QCOMPARE(f.boxes.shown(),
                 Shown::fromRow("DirectX: 9.0|64|Message;Version: 0.0.0.0|64|Message;"
                                "QUICKTIME IS NOT INSTALLED!|16|Error"
                                + exit + exit + exit));
    }

    void startUp_data() { addDataRows("main_window.txt", "startUp"); }
    // A copy already running, faulty data files and the DirectX requirement:
    // the box shown, and whether the program goes on.
    void startUp()
    {
        QFETCH(QStringList, row);
        const QString change = row[0];
        const int answer = row[1].toInt();
        const bool runs = row[3] == "runs";
        WindowFixture f;
        const QString name = change.section(u'=', 0, 0), value = change.section(u'=', 1);
        f.instances.running = change == "copy";
        if (name == "dx")
            f.components.directX = change.contains(u'=') ? std::optional(value) : std::nullopt;
        else if (!value.isEmpty())
            testmedia::writeFile(f.appFolder.filePath(name), value.toLatin1());
        else
            QFile::remove(f.appFolder.filePath(name));
        f.boxes.scriptAnswers({answer});
        const MainWindowUi &ui = f.ui();
        QList<int> entries; // video windows, fonts, font sizes, shown, while the box is up
        f.boxes.onShow = [&](const Shown &) {
            entries = {ui.cmbVideoWindow->count(), ui.cmbFontName->count()};
            entries << ui.cmbFontSize->count() << f.window().isVisible();
        };
        QCOMPARE(f.window().Form_Load(), runs ? MainWindow::Startup::Run : MainWindow::Startup::End);
        QCOMPARE(f.boxes.shown(), Shown::fromRow(row[2]));
        QCOMPARE(f.window().isVisible(), runs);
        QCOMPARE(f.shell.opened.join(""),
                 answer == Yes ? "https://www.trovexa.com/windows/directx/default.mspx" : "");
        QCOMPARE(f.window().cursor().shape(), Qt::ArrowCursor);
        if (runs)
            QCOMPARE(ui.ccbWatermarkColor->selectedPosition(), name == "colors.txt" ? -1 : 6);
        else if (change == "copy")
            QCOMPARE(entries, QList<int>({0, 0, 0, 0}));
        else if (name != "dx") // the lists read so far are on show
            QVERIFY(entries[0] == 13 && entries[3] && (name != "colors.txt" || entries[2] > 0));
    }

    // The real program started with a file shows it as the source, and refuses a pipe or
    // a device without waiting on it; on a terminal, --help and --version answer without a
    // display (none to be had here).
    void commandLine()
    {
        QTemporaryDir dir; // also the folder of the program's lock
        const QString clip = dir.filePath("My Clip.mpg"), pipe = dir.filePath("clip.avi");
        QVERIFY(testmedia::writeFile(clip, "x"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        const std::tuple<QString, QString, QByteArray> runs[]
                = {{clip, WINDOW_PROBE, clip.toUtf8() + "\n"},
                   {pipe, WINDOW_PROBE, "FILE NOT FOUND: " + pipe.toUtf8() + "\n"},
                   {"/dev/zero", WINDOW_PROBE, "FILE NOT FOUND: /dev/zero\n"},
                   {"--help", "QT_QPA_PLATFORM=none", "Converts videos (MPEG"},
                   {"--version", "QT_QPA_PLATFORM=none", "Trovexa FLV Converter 1."}};
        for (const auto &[argument, variable, shown] : runs) {
            const auto run = testmedia::run(applicationFolderUnderTest() + "/trovexa",
                                            {argument},
                                            {30000, {"XDG_RUNTIME_DIR=" + dir.path(), variable}});
            QVERIFY2(run.exitCode == 0 && run.output.contains(shown), run.errors.constData());
        }
    }

    // Open With on a running copy: the second start hands its files (relative ones in its
    // folder) to the first copy's queue and ends without a word; a copy killed earlier blocks
    // nothing; another user's start opens a window of its own.
    void handOver()
    {
        QTemporaryDir top; // open to the user nobody: the program, the probe, a source
        QVERIFY(::chmod(QFile::encodeName(top.path()).constData(), 0755) == 0);
        const QString app = top.filePath("app"), probe = "LD_PRELOAD=" + top.filePath("probe.so");
        QVERIFY(QDir().mkpath(app) && QDir().mkpath(top.filePath("mine"))
                && QDir().mkpath(top.filePath("theirs")));
        for (const char *name : {"trovexa", "fonts.txt", "fontsizes.txt", "colors.txt"})
            QVERIFY(QFile::copy(applicationFolderUnderTest() + "/" + name, app + "/" + name));
        QVERIFY(QFile::copy(QString(WINDOW_PROBE).section('=', 1), top.filePath("probe.so")));
        QVERIFY(testmedia::writeFile(top.filePath("a.mpg"), "x")
                && testmedia::writeFile(top.filePath("b.avi"), "x"));
        // Runtime folders as the session manager makes them: 0700, the user's own.
        for (const char *name : {"mine", "theirs"})
            QVERIFY(::chmod(QFile::encodeName(top.filePath(name)).constData(), 0700) == 0);
        QVERIFY(::chown(QFile::encodeName(top.filePath("theirs")).constData(), 65534, 65534) == 0);
        const QString mine = "XDG_RUNTIME_DIR=" + top.filePath("mine");
        const auto firstCopy = [&](QProcess &copy, const QStringList &variables) {
            testmedia::setVariables(copy, variables);
            copy.start(app + "/trovexa", {});
            const auto listening = [&] { // not merely a socket file a killed copy left
                QLocalSocket probe;
                probe.connectToServer(top.filePath("mine/trovexa-flv-converter.socket"));
                return probe.waitForConnected(100);
            };
            return QTest::qWaitFor(listening, 20000);
        };
        QProcess killed;
        QVERIFY(firstCopy(killed, {mine}));
        killed.kill();
        QVERIFY(killed.waitForFinished());
        QProcess first;
        QVERIFY(firstCopy(first, {mine, probe}));
        // The second start hands over and writes nothing of its own: no saved queue, no settings.
        const QString own = top.filePath("second");
        const auto second = testmedia::run(app + "/trovexa",
                                           {"a.mpg", "b.avi"},
                                           {30000,
                                            {mine,
                                             probe,
                                             "XDG_STATE_HOME=" + own + "/state",
                                             "XDG_CONFIG_HOME=" + own + "/config"},
                                            top.path()});
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(second.output, QByteArray());
        QVERIFY(!QFileInfo::exists(own) && first.waitForFinished(20000));
        QCOMPARE(first.readAllStandardOutput(),
                 "queue: " + top.filePath("a.mpg").toUtf8() + "|" + top.filePath("b.avi").toUtf8()
                         + "\n");
        QProcess stays;
        QVERIFY(firstCopy(stays, {mine, probe}));
        const auto theirs = testmedia::run(app + "/trovexa",
                                           {top.filePath("a.mpg")},
                                           {.timeoutMs = 30000,
                                            .environment = {"XDG_RUNTIME_DIR="
                                                                    + top.filePath("theirs"),
                                                            probe},
                                            .user = 65534});
        QCOMPARE(theirs.output, top.filePath("a.mpg").toUtf8() + "\n");
        QVERIFY(!stays.waitForFinished(500)); // nothing reached it; it is killed on the way out
    }

    void drops_data() { addDataRows("main_window.txt", "drops"); }
    // The command line and a drop anywhere on the Converter tab do what
    // Input File does, or show an "Error" box and change nothing.
    void drops()
    {
        QFETCH(QStringList, row);
        WindowFixture f;
        f.window().Form_Load();
        const MainWindowUi &ui = f.ui();
        QTemporaryDir media;
        QStringList paths;
        for (QString name : row[0].split(u'|')) {
            const bool handed = !name.startsWith(u'+');
            name.remove(0, handed ? 0 : 1);
            const QString path = name.startsWith(u'/')
                    ? name
                    : media.filePath(name.chopped(name.endsWith(u'/')));
            if (handed)
                paths << path;
            if (name.startsWith(u'/'))
                continue;
            QDir().mkpath(name.endsWith(u'/') ? path : QFileInfo(path).path());
            if (name.startsWith("pipe"))
                QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
            else if (!name.endsWith(u'/') && !name.startsWith("gone"))
                QVERIFY(testmedia::writeFile(path, ""));
        }
        const bool taken = !row[1].isEmpty();
        const int queued = row.value(3).toInt();
        pipeline::JobQueue &queue = f.window().sourceQueue().queue();
        const Shown refusal {QString(row[2]).replace("<folder>", media.path()), 16, "Error"};
        ui.lblOutDir->setText(media.path() + "/"); // outputs beside the sources
        const auto before = testmedia::snapshot(media.path());
        for (QWidget *target :
             QWidgetList {nullptr, ui.sstThis->widget(0), ui.txtOutFile, ui.cmbAudioBitrate}) {
            ui.lblInput->setText("/earlier/choice.mpg");
            ui.txtOutFile->setText("mine.flv");
            f.boxes.clear();
            if (target)
                QVERIFY(drop(target, paths));
            else // the command line
                f.window().openSource(paths);
            QCOMPARE(f.boxes.shown(), row[2].isEmpty() ? QList<Shown>() : QList<Shown>({refusal}));
            QCOMPARE(ui.lblInput->text(), taken ? paths.first() : "/earlier/choice.mpg");
            QCOMPARE(ui.txtOutFile->text(), taken ? row[1] : "mine.flv");
            QCOMPARE(queue.count(), queued);
            QCOMPARE(ui.sstThis->isTabVisible(3), queued > 0);
            // Nothing starts by itself: no job runs, nothing is written.
            QVERIFY(!f.window().encodeJob().isRunning() && !f.window().sourceQueue().isRunning()
                    && ui.cmdEncode->isEnabled());
            QVERIFY(testmedia::snapshot(media.path()) == before);
            while (queue.count() > 0)
                queue.remove(0);
            ui.sstThis->setTabVisible(3, false);
        }
        // What no reader can take is refused in Input File's dialog too.
        if (refusal.prompt.startsWith("FILE NOT FOUND")) {
            f.boxes.clear();
            f.dialogs.fileAnswers << paths.first();
            QTest::mouseClick(ui.cmdInput, Qt::LeftButton);
            QCOMPARE(f.boxes.shown(), QList<Shown>({refusal}));
            QCOMPARE(ui.lblInput->text(), "/earlier/choice.mpg");
        }
        if (taken) { // With one entry in the queue, a single file joins it.
            const QString waiting = media.filePath("waiting.mpg");
            QVERIFY(testmedia::writeFile(waiting, ""));
            f.window().sourceQueue().add({waiting});
            QCOMPARE(queue.count(), 1);
            ui.lblInput->setText("/earlier/choice.mpg");
            f.window().openSource(paths);
            QVERIFY(queue.count() == 2 && ui.lblInput->text() == "/earlier/choice.mpg");
            ui.lblInput->setText(paths.first());
            // Input File opens next at the file handed over; no drops while a job runs.
            QTest::mouseClick(ui.cmdInput, Qt::LeftButton);
            QCOMPARE(f.dialogs.fileRequests.last().initialPath, paths.first());
            ui.cmdEncode->setEnabled(false);
            QVERIFY(!drop(ui.txtOutFile, {media.filePath("CLIP.MPEG")}));
            QCOMPARE(ui.lblInput->text(), paths.first());
        }
    }

    // What keyboard and screen-reader users meet.
    void keyboard()
    {
        WindowFixture f;
        f.window().Form_Load();
        const MainWindowUi &ui = f.ui();
        // The names a screen reader gives the controls, and the order Tab visits them.
        const auto heard = dataRows("main_window.txt", "heard");
        const auto tabOrder = dataRows("main_window.txt", "tabOrder");
        QVERIFY(!heard.isEmpty() && !tabOrder.isEmpty());
        for (const auto &[line, row] : heard)
            QVERIFY2(heardName(f.window().findChild<QWidget *>(row[0])) == row[1],
                     qPrintable(QString("main_window.txt:%1").arg(line)));
        for (const auto &[line, row] : tabOrder)
            QVERIFY2(tabCycle(f.window().findChild<QWidget *>(row[1]),
                              ui.sstThis->widget(row[0].toInt()))
                             == row[2],
                     qPrintable(QString("main_window.txt:%1").arg(line)));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
