// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataRows.h"
#include "support/WindowFixture.h"

#include "platform/ColorCombo.h"
#include "platform/UpDown.h"
#include "watermark/SettingsScrambler.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::FileDialogRequest;

namespace {

struct Tab : WindowFixture
{
    Tab() { window().Form_Load(); }
    QString path(const QString &name) const { return files.filePath(name); }
    // Save or Load, and the path picked in the dialog.
    void click(QPushButton *button, const QString &path)
    {
        dialogs.fileAnswers << path;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // What the tab shows: text, colour, font, font file, size, left, top, alpha.
    QStringList state()
    {
        const MainWindowUi &u = ui();
        QStringList shown {u.txtWatermark->toPlainText()};
        for (QComboBox *list : QList<QComboBox *> {u.ccbWatermarkColor,
                                                   u.cmbFontName,
                                                   u.cmbFontFileName,
                                                   u.cmbFontSize})
            shown << QString::number(list->currentIndex());
        return shown << u.txtLeft->text() << u.txtTop->text() << u.txtAlpha->text();
    }
    QTemporaryDir files;
};

// A settings file: each value scrambled, then CR LF.
QByteArray lines(const QStringList &values)
{
    QByteArray file;
    for (const QString &value : values)
        file += watermark::Scramble(value.toLatin1(), watermark::SettingsKey) + "\r\n";
    return file;
}

} // namespace

class WatermarkTabTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typing_data() { addDataRows("watermark_tab.txt", "typing"); }
    // Only digits and Backspace reach the position and alpha boxes.
    void typing()
    {
        QFETCH(QStringList, row);
        Tab t;
        auto *edit = t.window().findChild<QLineEdit *>(row[0]);
        edit->clear();
        for (const QChar c : row[1]) {
            const int key = c.unicode() < 0x80 ? c.toUpper().unicode() : int(Qt::Key_unknown);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), row[2].chopped(1));
    }

    void spin_data() { addDataRows("watermark_tab.txt", "spin"); }
    void spin()
    {
        QFETCH(QStringList, row);
        Tab t;
        t.ui().txtAlpha->setText(row[0]);
        QTest::mouseClick(row[1] == "up" ? t.ui().updAlpha->upButton()
                                         : t.ui().updAlpha->downButton(),
                          Qt::LeftButton);
        QCOMPARE(t.ui().txtAlpha->text(), row[2]);
    }

    // A save writes seven lines over the old file or says why not; a load restores all.
    void saveAndLoad()
    {
        Tab t, u;
        const MainWindowUi &ui = t.ui();
        const QString file = t.path("old"), loaded = t.path("made.wsx"); // no extension is added
        const QByteArray made = lines({"Line one é\r\nline two", "3", "2", "7", "", "120", "77"});
        QVERIFY(testmedia::writeFile(loaded, made));
        t.click(ui.cmdLoadWMOptions, loaded);
        QCOMPARE(t.state(),
                 QStringList({"Line one é\nline two", "3", "2", "2", "7", "", "120", "77"}));
        const std::pair<QString, QString> cases[] // the text, the start of the box shown
                = {{"Smile ☺",
                    "THE CHARACTER \"☺\" AT POSITION 7 OF THE WATERMARK TEXT CANNOT BE SAVED IN A "
                    "SETTINGS FILE!"},
                   {QString(32768, u'x'), "THE WATERMARK TEXT IS TOO LONG TO BE SAVED!"},
                   {"", "WATERMARK TEXT MISSING!"},
                   {"Line one é\nline two", "SETTINGS SAVED AS " + file}};
        for (const auto &[text, message] : cases) {
            QVERIFY(testmedia::writeFile(file, QByteArray(5000, 'z')));
            ui.txtWatermark->setPlainText(text);
            ui.sstThis->setCurrentIndex(0);
            t.boxes.clear();
            t.dialogs.fileRequests.clear();
            t.click(ui.cmdSaveWMOptions, file);
            QCOMPARE(t.boxes.shown().size(), 1);
            QVERIFY2(t.boxes.shown().first().prompt.startsWith(message),
                     qPrintable(t.boxes.shown().first().prompt));
            const bool saved = message.startsWith("SETTINGS");
            QCOMPARE(testmedia::readFile(file), saved ? made : QByteArray(5000, 'z'));
            QCOMPARE(QDir(t.files.path()).entryList(QDir::Files), QStringList({"made.wsx", "old"}));
            if (text.isEmpty()) { // refused before any dialog, with the box to fill in on show
                QVERIFY(t.dialogs.fileRequests.isEmpty());
                QCOMPARE(ui.sstThis->currentIndex(), 1);
                QCOMPARE(t.window().focusWidget(), ui.txtWatermark);
            }
        }
        QCOMPARE(t.boxes.shown().first(), Shown({"SETTINGS SAVED AS " + file, 64, " Message"}));
        u.click(u.ui().cmdLoadWMOptions, file);
        QVERIFY(u.boxes.shown().isEmpty());
        QCOMPARE(u.state(), t.state());
        // The shared flags ask before replacing, for loads too.
        const QStringList filter {"Watermark Settings File (*.wsx)"};
        using enum FileDialogRequest::Mode;
        QCOMPARE(t.dialogs.fileRequests + u.dialogs.fileRequests,
                 QList<FileDialogRequest>(
                         {{Save, "Save Watermark Settings", "", filter, false, true},
                          {Open, "Load Watermark Settings", "", filter, false, true}}));
        // The source dialog does not reset the name, so it starts there.
        QTest::mouseClick(u.ui().cmdInput, Qt::LeftButton);
        QCOMPARE(u.dialogs.fileRequests.last().initialPath, file);
        t.boxes.clear(); // into a folder that is not there, then cancelled
        t.dialogs.fileAnswers.clear();
        t.click(ui.cmdSaveWMOptions, t.path("none/x.wsx"));
        t.click(ui.cmdSaveWMOptions, "");
        QCOMPARE(t.boxes.shown().size(), 1);
        QVERIFY(t.boxes.shown().first().prompt.startsWith("CANNOT SAVE " + t.path("none/x.wsx")
                                                          + ": "));
    }

    void unreadableFilesAreRefused_data() { addDataRows("watermark_tab.txt", "unreadable"); }
    // Files no save made: an "Error" box names the problem; the window keeps its values.
    void unreadableFilesAreRefused()
    {
        QFETCH(QStringList, row);
        Tab t;
        QVERIFY(QDir(t.files.path()).mkdir("folder.wsx"));
        QCOMPARE(::mkfifo(QFile::encodeName(t.path("pipe.wsx")).constData(), 0600), 0);
        QVERIFY(testmedia::writeFile(t.path("long.wsx"), QByteArray(4 << 20, 'a'))); // no line break
        QVERIFY(testmedia::writeFile(t.path("over.wsx"), // one byte more than seven full lines
                                     QByteArray(7 * 32769, 'a').replace(0, 7, "\r\r\r\r\r\r\r")
                                             + "a"));
        t.ui().txtWatermark->setPlainText("kept");
        const QString path = row[0].isEmpty() || row[0].startsWith('/') ? row[0] : t.path(row[0]);
        t.click(t.ui().cmdLoadWMOptions, path);
        const QList<Shown> shown {{"CANNOT LOAD " + path + ": " + row[1], 16, "Error"}};
        QCOMPARE(t.boxes.shown(), path.isEmpty() ? QList<Shown>() : shown);
        QCOMPARE(t.ui().txtWatermark->toPlainText(), QString("kept"));
    }

    void partialFiles_data() { addDataRows("watermark_tab.txt", "partial"); }
    // Files of fewer lines or bad values set what comes before the fault.
    void partialFiles()
    {
        QFETCH(QStringList, row);
        Tab t;
        t.ui().txtWatermark->setPlainText("start");
        QVERIFY(testmedia::writeFile(t.path("file.wsx"),
                                     lines(row[0].isEmpty() ? QStringList() : row[0].split('|'))));
        t.click(t.ui().cmdLoadWMOptions, t.path("file.wsx"));
        QCOMPARE(t.state().join('|'), row[1]);
        QVERIFY(t.boxes.shown().isEmpty());
    }
};

QTEST_MAIN(WatermarkTabTest)
#include "test_watermark_tab.moc"
