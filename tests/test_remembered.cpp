// SPDX-License-Identifier: GPL-3.0-or-later
// What the window keeps between runs, and the presets: start-ups from every
// kind of settings file, presets applied, refused, saved and deleted.
#include "support/DataRows.h"
#include "support/WindowFixture.h"

#include "app/ChoicesControls.h"
#include "pipeline/RememberedSettings.h"

#include <QtTest>
#include <QtWidgets>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::MsgBoxAnswer::No;
using platform::MsgBoxAnswer::Yes;

namespace {

// The Converter tab as the table writes it.
QString converterTab(const MainWindowUi &ui)
{
    QStringList fields {ui.cmbVideoWindow->currentText(), ui.cmbVideoBitrate->currentText()};
    fields << QString::number(ui.chkDeInterlace->isChecked())
           << QString::number(ui.chkImage->isChecked()) << ui.txtNumImages->text()
           << QString::number(ui.cmbCodec->currentIndex())
           << QString::number(ui.chkQuickEncode->isChecked())
           << QString::number(ui.chkDisableAudio->isChecked()) << ui.cmbAudioSampling->currentText()
           << ui.cmbAudioBitrate->currentText() << ui.cmbAudioChannels->currentText();
    return fields.join(u' ');
}

// A table's text as bytes: "\xNN" is the byte NN.
QByteArray bytesOf(QString text)
{
    static const QRegularExpression escaped(R"(\\x([0-9a-f]{2}))");
    QRegularExpressionMatch match;
    while ((match = escaped.match(text)).hasMatch())
        text.replace(match.capturedStart(), 4, QChar(match.captured(1).toInt(nullptr, 16)));
    return text.toLatin1();
}

QAction *entry(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

QStringList entries(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << (action->isSeparator() ? "-" : action->text());
    return texts;
}

// A window that remembers in folder/trovexa.conf and keeps presets in folder/presets.
struct Remembering : WindowFixture
{
    explicit Remembering(const QString &folder)
    {
        settingsFile = folder + "/config/trovexa.conf";
        presetFolder = folder + "/presets";
    }
    void start() { QCOMPARE(window().Form_Load(), MainWindow::Startup::Run); }
    void apply(const QString &preset)
    {
        QAction *action = entry(ui().mnuPresets, preset);
        QVERIFY2(action, qPrintable(preset));
        action->trigger();
    }
    void exit()
    {
        boxes.scriptAnswers({Yes});
        window().close();
        QVERIFY(!window().isVisible());
    }
};

const QString Start = "400x300 225 0 0 10 0 0 0 22050 48 Mono";
const QString H264 = "640x360 800 0 0 10 1 0 0 44100 128 Stereo";

} // namespace

class RememberedTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startFrom_data() { addDataRows("remembered.txt", "startFrom"); }
    // Whatever the settings file holds, the window starts; it takes what it
    // can use, and the file written at exit holds the window's choices.
    void startFrom()
    {
        QFETCH(QStringList, row);
        QTemporaryDir dir;
        for (const char *folder : {"src", "out", "config"})
            QVERIFY(QDir(dir.path()).mkdir(folder));
        Remembering f(dir.path());
        const QString content = QString(row[1]).replace("<dir>", dir.path());
        if (content == "<folder>")
            QVERIFY(QDir().mkdir(f.settingsFile));
        else if (content != "-")
            QVERIFY(testmedia::writeFile(f.settingsFile, bytesOf(content)));
        f.start();
        QCOMPARE(f.boxes.shown(), QList<Shown>());
        QCOMPARE(converterTab(f.ui()), row[2]);
        QCOMPARE(f.ui().lblOutDir->text(), QString(row[3]).replace("<dir>", dir.path()));
        f.window().cmdInput_Click();
        QCOMPARE(f.dialogs.fileRequests.value(0).initialFolder,
                 QString(row[4]).replace("<dir>", dir.path()));
        f.ui().cmbVideoBitrate->setCurrentIndex(f.ui().cmbVideoBitrate->count() - 1);
        f.exit();
        const pipeline::RememberedRead written = pipeline::SettingsFile(f.settingsFile).read();
        if (row[5] == "kept") {
            QCOMPARE(written.state, pipeline::SettingsState::Unreadable);
            return;
        }
        QCOMPARE(written.state, pipeline::SettingsState::Read);
        QCOMPARE(written.remembered.choices, readChoices(f.ui()));
        QCOMPARE(written.remembered.choices.videoBitrate, "1200");
    }

    // Choices made in one run are there in the next: the tab, the folders and the window's size;
    // the watermark is not kept. A change is written without waiting for the exit.
    void remembersAcrossRuns()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("src/a.mpg");
        QVERIFY(QDir(dir.path()).mkdir("out") && QDir(dir.path()).mkdir("src"));
        QVERIFY(testmedia::writeFile(source, "video"));
        const QString kept = "320x240 350 1 1 5 1 1 1 44100 64 Stereo";
        {
            Remembering f(dir.path());
            f.start();
            const MainWindowUi &ui = f.ui();
            f.set("cmbVideoWindow=320x240;cmbVideoBitrate=350;cmbAudioSampling=44100;"
                  "cmbAudioBitrate=64;cmbAudioChannels=Stereo;txtNumImages=5;chkDeInterlace=1;"
                  "chkImage=1;chkQuickEncode=1;chkDisableAudio=1;chkWatermark=1");
            ui.cmbCodec->setCurrentIndex(1);
            QCOMPARE(converterTab(ui), kept);
            QTRY_COMPARE(pipeline::SettingsFile(f.settingsFile).read().remembered.choices,
                         readChoices(ui));
            f.dialogs.folderAnswers << dir.filePath("out");
            f.dialogs.fileAnswers << source;
            QTest::mouseClick(ui.cmdOutput, Qt::LeftButton);
            QTest::mouseClick(ui.cmdInput, Qt::LeftButton);
            f.window().resize(900, 700);
            f.exit();
        }
        Remembering f(dir.path());
        f.start();
        QCOMPARE(converterTab(f.ui()), kept);
        QCOMPARE(f.ui().lblOutDir->text(), dir.filePath("out") + "/");
        QCOMPARE(f.window().size(), QSize(900, 700));
        QVERIFY(!f.ui().chkWatermark->isChecked() && f.ui().lblInput->text().isEmpty());
        QTest::mouseClick(f.ui().cmdInput, Qt::LeftButton);
        QCOMPARE(f.dialogs.fileRequests.value(0).initialFolder, dir.filePath("src"));
    }

    void presets_data() { addDataRows("remembered.txt", "presets"); }
    // A preset file is applied whole, or refused with a box naming the key and nothing changes.
    void presets()
    {
        QFETCH(QStringList, row);
        QTemporaryDir dir;
        Remembering f(dir.path());
        const QByteArray content = row[1] == "<large>"
                ? QByteArray(pipeline::MaxPresetFileBytes + 1, '#')
                : bytesOf(row[1]);
        QVERIFY(QDir().mkpath(f.presetFolder));
        QVERIFY(testmedia::writeFile(f.presetFolder + "/p.preset", content));
        f.start();
        f.apply("H.264 for today's players");
        QCOMPARE(converterTab(f.ui()), H264);
        f.apply("p");
        QCOMPARE(converterTab(f.ui()), row[2]);
        const QString error = QString(row[3]).replace("<dir>", dir.path());
        QCOMPARE(f.boxes.shown(),
                 error.isEmpty() ? QList<Shown>() : QList<Shown>({{error, 16, "Error"}}));
    }

    // Save preset... asks for a name and refuses built-in names and folders; a name in use is
    // replaced only when the user says so; Delete preset asks; Reset options brings back the start
    // values. The menu is shut while a conversion runs.
    void savesAndDeletesPresets()
    {
        QTemporaryDir dir;
        Remembering f(dir.path());
        f.start();
        const MainWindowUi &ui = f.ui();
        const QStringList builtIn {"Classic web video", "H.264 for today's players"};
        const QStringList fixed {"-", "Save preset...", "Delete preset", "-", "Reset options"};
        QCOMPARE(entries(ui.mnuPresets), builtIn + fixed);
        QVERIFY(!ui.mnuDeletePreset->isEnabled());

        ui.cmbVideoWindow->setCurrentText("160x120");
        ui.txtNumImages->setText("0"); // no count to keep: the start value is
        f.boxes.textAnswers = QStringList {"Tiny", "classic web video", "a/b", " Tiny", "", "Tiny"};
        for (int save = 0; save < 5; ++save)
            ui.mnuSavePreset->trigger();
        const QString tiny = f.presetFolder + "/Tiny.preset";
        QCOMPARE(pipeline::PresetFolder(f.presetFolder).load("Tiny").index(), 0);
        ui.cmbVideoWindow->setCurrentText("768x576");
        f.boxes.scriptAnswers({No});
        ui.mnuSavePreset->trigger(); // "Tiny" again, not replaced
        ui.mnuSavePreset->trigger(); // cancelled: no name left
        f.window().presetMenu().refresh();
        QCOMPARE(entries(ui.mnuDeletePreset), QStringList {"Tiny"});
        f.apply("Classic web video");
        f.apply("Tiny");
        QCOMPARE(converterTab(ui), "160x120 225 0 0 10 0 0 0 22050 48 Mono");
        const QString asked = "NAME OF THE PRESET:|0|Save preset;";
        const QString refused = asked + "THE PRESET CANNOT BE SAVED:\r\n";
        QCOMPARE(f.boxes.shown(),
                 Shown::fromRow(
                         asked + refused
                         + "\"Classic web video\" is the name of a built-in preset|16|Error;"
                         + refused
                         + "a preset's name cannot hold \"/\" or start with \".\": a/b|16|Error;"
                         + refused + "a preset's name cannot start or end with a space|16|Error;"
                         + refused + "a preset needs a name|16|Error;" + asked
                         + "REPLACE THE PRESET \"Tiny\"?|36|Confirm;" + asked));
        QVERIFY(testmedia::readFile(tiny).contains("size=160x120\n"));
        QVERIFY(testmedia::readFile(tiny).contains("image-count=10\n"));

        f.boxes.clear();
        f.boxes.scriptAnswers({No, Yes});
        entry(ui.mnuDeletePreset, "Tiny")->trigger();
        QVERIFY(QFile::exists(tiny));
        entry(ui.mnuDeletePreset, "Tiny")->trigger();
        QVERIFY(!QFile::exists(tiny));
        QCOMPARE(f.boxes.shown(), QList<Shown>(2, {"DELETE THE PRESET \"Tiny\"?", 36, "Confirm"}));
        f.window().presetMenu().refresh();
        QVERIFY(!entry(ui.mnuPresets, "Tiny") && !ui.mnuDeletePreset->isEnabled());

        // Files put there by hand show when the menu opens, in the order a
        // person reads them; a name too long to save is not listed.
        const QString longest(80, u'n');
        for (const QString &name :
             {QString("clip10"), QString("b"), QString("Clip2"), longest, longest + u'n'})
            QVERIFY(testmedia::writeFile(f.presetFolder + '/' + name + ".preset", "size=320x240\n"));
        emit ui.mnuPresets->aboutToShow();
        QCOMPARE(entries(ui.mnuDeletePreset), QStringList({"b", "Clip2", "clip10", longest}));

        f.apply("H.264 for today's players");
        ui.chkImage->setChecked(true);
        ui.mnuResetOptions->trigger();
        QCOMPARE(converterTab(ui), Start);

        f.dialogs.folderAnswers << dir.path();
        QTest::mouseClick(ui.cmdOutput, Qt::LeftButton);
        QTemporaryDir media;
        QVERIFY(testmedia::makeVideo(media.filePath("a.mpg"), {3.0}));
        f.window().openSource({media.filePath("a.mpg")});
        f.boxes.scriptAnswers({Yes});
        QTest::mouseClick(ui.cmdEncode, Qt::LeftButton);
        QTRY_VERIFY(!ui.cmdEncode->isEnabled());
        QVERIFY(!ui.mnuPresets->menuAction()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(ui.cmdEncode->isEnabled(), 60000);
        QVERIFY(ui.mnuPresets->menuAction()->isEnabled());
    }
};

QTEST_MAIN(RememberedTest)
#include "test_remembered.moc"
