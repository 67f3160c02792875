#include "support/WindowFixture.h"

#include "platform/ColorCombo.h"
#include "platform/UpDown.h"
#include "watermark/SettingsScrambler.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>

using Shown = platform::RecordingMessageBoxes::Shown;
using platform::FileDialogRequest;

namespace {

struct Tab : WindowFixture
{
    Tab() { window().Form_Load(); }
    const MainWindowUi &ui() { return window().ui(); }
    QString path(const QString &name) const { return files.filePath(name); }

    void save(const QString &path)
    {
        dialogs.fileAnswers << path;
        QTest::mouseClick(ui().cmdSaveWMOptions, Qt::LeftButton);
    }
    void load(const QString &path)
    {
        dialogs.fileAnswers << path;
        QTest::mouseClick(ui().cmdLoadWMOptions, Qt::LeftButton);
    }
    // What the tab shows: text, colour, font, font file, size, left, top, alpha.
    QStringList state()
    {
        const MainWindowUi &u = ui();
        return {u.txtWatermark->toPlainText(),
                QString::number(u.ccbWatermarkColor->selectedPosition()),
                QString::number(u.cmbFontName->currentIndex()),
                QString::number(u.cmbFontFileName->currentIndex()),
                QString::number(u.cmbFontSize->currentIndex()),
                u.txtLeft->text(),
                u.txtTop->text(),
                u.txtAlpha->text()};
    }

    QTemporaryDir files;
};

QByteArray lines(const QStringList &values)
{
    QByteArray file;
    for (const QString &value : values)
        file += watermark::Scramble(value.toLatin1(), watermark::SettingsKey) + "\r\n";
    return file;
}

FileDialogRequest request(FileDialogRequest::Mode mode, const QString &title, const QString &from)
{
    return {mode,
            title,
            from,
            {"Watermark Settings File (*.wsx)"},
            false,
            true}; // the shared flags ask before replacing, for loads too
}

} // namespace

class WatermarkTabTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Only digits reach the position, alpha and frame-count boxes; alpha
    // above 255 becomes 100.
    void typing()
    {
        Tab t;
        const std::tuple<QLineEdit *, QString, QString> cases[]
                = {{t.ui().txtLeft, "a-. +1", "1"},
                   {t.ui().txtTop, "٣²7", "7"}, // digits of other scripts
                   {t.ui().txtTop, "12345", "123"},
                   {t.ui().txtNumImages, "123", "12"},
                   {t.ui().txtAlpha, "255", "255"},
                   {t.ui().txtAlpha, "300", "100"},
                   {t.ui().txtAlpha, "256", "100"}};
        for (const auto &[edit, typed, shown] : cases) {
            edit->clear();
            for (const QChar c : typed) {
                const int key = c.unicode() < 0x80 ? c.toUpper().unicode() : int(Qt::Key_unknown);
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
                QApplication::sendEvent(edit, &press);
            }
            QCOMPARE(edit->text(), shown);
            QTest::keyClick(edit, Qt::Key_Backspace);
            QCOMPARE(edit->text(), shown.chopped(1));
        }
    }

    // Keys that move or act are no characters: the filters let them through.
    // The cursor after "1|2" and the key; -1: the focus moved on.
    void keysThatAreNoCharactersPass()
    {
        Tab t;
        t.ui().sstThis->setCurrentIndex(1);
        t.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window()));
        const std::tuple<QLineEdit *, int, Qt::KeyboardModifiers, QString, int, QString> keys[]
                = {{t.ui().txtLeft, Qt::Key_Tab, {}, "\t", -1, ""},
                   {t.ui().txtTop, Qt::Key_Backtab, Qt::ShiftModifier, "", -1, ""},
                   {t.ui().txtAlpha, Qt::Key_Home, {}, "", 0, ""},
                   {t.ui().txtAlpha, Qt::Key_End, {}, "", 2, ""},
                   {t.ui().txtLeft, Qt::Key_Left, {}, "", 0, ""},
                   {t.ui().txtTop, Qt::Key_A, Qt::ControlModifier, "\x01", 2, "12"}};
        for (const auto &[edit, key, modifiers, text, cursor, selected] : keys) {
            edit->setText("12");
            edit->setFocus();
            edit->setCursorPosition(1);
            QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
            QApplication::sendEvent(edit, &press);
            QCOMPARE(edit->text(), QString("12"));
            QCOMPARE(t.window().focusWidget() == edit, cursor >= 0);
            QCOMPARE(edit->cursorPosition(), cursor < 0 ? edit->cursorPosition() : cursor);
            QCOMPARE(edit->selectedText(), selected);
        }
    }

    // The spinner stays within 1 to 255 and leaves non-numbers alone.
    void spinner()
    {
        Tab t;
        const std::tuple<QString, QToolButton *, QString> steps[]
                = {{"254", t.ui().updAlpha->upButton(), "255"},
                   {"255", t.ui().updAlpha->upButton(), "255"},
                   {"007", t.ui().updAlpha->upButton(), "8"},
                   {"0", t.ui().updAlpha->upButton(), "1"},
                   {"2", t.ui().updAlpha->downButton(), "1"},
                   {"1", t.ui().updAlpha->downButton(), "1"},
                   {"010", t.ui().updAlpha->downButton(), "9"},
                   {"", t.ui().updAlpha->upButton(), ""},
                   {"1x", t.ui().updAlpha->downButton(), "1x"}};
        for (const auto &[before, button, after] : steps) {
            t.ui().txtAlpha->setText(before);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(t.ui().txtAlpha->text(), after);
        }
    }

    void saveThenLoadRestoresEverything()
    {
        Tab t;
        const MainWindowUi &ui = t.ui();
        ui.txtWatermark->setPlainText("Line one é\nline two");
        ui.ccbWatermarkColor->setSelectedPosition(3);
        ui.cmbFontName->setCurrentIndex(2);
        ui.cmbFontSize->setCurrentIndex(7);
        ui.txtLeft->setText("");
        ui.txtTop->setText("120");
        ui.txtAlpha->setText("77");
        const QStringList saved = t.state();
        const QString file = t.path("mine"); // no extension is added
        t.save(file);
        QCOMPARE(t.boxes.shown(), QList<Shown>({{"SETTINGS SAVED AS " + file, 64, " Message"}}));
        QCOMPARE(QDir(t.files.path()).entryList(QDir::Files), QStringList({"mine"}));

        ui.txtWatermark->setPlainText("other");
        for (QComboBox *list : std::initializer_list<QComboBox *> {ui.cmbFontName,
                                                                   ui.cmbFontSize,
                                                                   ui.ccbWatermarkColor})
            list->setCurrentIndex(0);
        for (QLineEdit *box : {ui.txtLeft, ui.txtTop, ui.txtAlpha})
            box->setText("9");
        t.load(file);
        QCOMPARE(t.boxes.shown().size(), 1); // a load shows nothing
        QCOMPARE(t.state(), saved);
        QCOMPARE(t.dialogs.fileRequests,
                 QList<FileDialogRequest>(
                         {request(FileDialogRequest::Mode::Save, "Save Watermark Settings", ""),
                          request(FileDialogRequest::Mode::Open, "Load Watermark Settings", "")}));

        // The source dialog does not reset the name, so it starts there.
        QTest::mouseClick(ui.cmdInput, Qt::LeftButton);
        QCOMPARE(t.dialogs.fileRequests.last().initialPath, file);
    }

    // A save writes seven lines over the old file, or shows why not and
    // leaves the old file as it was.
    void save()
    {
        Tab t;
        const QString file = t.path("old.wsx");
        // The text, and the start of the box shown.
        const std::pair<QString, QString> cases[]
                = {{"x", "SETTINGS SAVED AS " + file},
                   {"Smile ☺", "THE CHARACTER \"☺\" AT POSITION 7 OF THE WATERMARK TEXT"},
                   {QString(32768, u'x'), "THE WATERMARK TEXT IS TOO LONG TO BE SAVED!"},
                   {"", "WATERMARK TEXT MISSING!"}};
        for (const auto &[text, message] : cases) {
            QVERIFY(testmedia::writeFile(file, QByteArray(5000, 'z')));
            t.ui().txtWatermark->setPlainText(text);
            t.ui().sstThis->setCurrentIndex(0);
            t.boxes.clear();
            t.dialogs.fileRequests.clear();
            t.save(file);
            QCOMPARE(t.boxes.shown().size(), 1);
            QVERIFY2(t.boxes.shown().first().prompt.startsWith(message),
                     qPrintable(t.boxes.shown().first().prompt));
            const QByteArray bytes = testmedia::readFile(file);
            const bool saved = message.startsWith("SETTINGS");
            QCOMPARE(bytes.count("\r\n"), saved ? 7 : 0);
            QCOMPARE(bytes.contains('z'), !saved);
            QCOMPARE(QDir(t.files.path()).entryList(QDir::Files), QStringList({"old.wsx"}));
        }
        // No text is refused before any dialog, with the box to fill in on show.
        QVERIFY(t.dialogs.fileRequests.isEmpty());
        QCOMPARE(t.ui().sstThis->currentIndex(), 1);
        QCOMPARE(t.window().focusWidget(), t.ui().txtWatermark);
    }

    // Files no save can have made: an "Error" box names the problem, and
    // the window keeps what it shows, without waiting for a writer.
    void unreadableFilesAreRefused()
    {
        Tab t;
        QVERIFY(QDir(t.files.path()).mkdir("folder.wsx"));
        QCOMPARE(::mkfifo(QFile::encodeName(t.path("pipe.wsx")).constData(), 0600), 0);
        QVERIFY(testmedia::writeFile(t.path("long.wsx"), QByteArray(4 << 20, 'a'))); // no line break
        QVERIFY(testmedia::writeFile(t.path("over.wsx"), // one byte more than seven full lines
                                     QByteArray(7 * 32769, 'a').replace(0, 7, "\r\r\r\r\r\r\r")
                                             + "a"));
        t.ui().txtWatermark->setPlainText("kept");
        const std::pair<QString, QString> cases[]
                = {{"", ""}, // the dialog cancelled
                   {t.path("missing.wsx"), "No such file or directory"},
                   {t.path("folder.wsx"), "not a regular file"},
                   {t.path("pipe.wsx"), "not a regular file"},
                   {"/dev/zero", "not a regular file"},
                   {t.path("long.wsx"), "larger than 229383 bytes"},
                   {t.path("over.wsx"), "larger than 229383 bytes"}};
        for (const auto &[path, problem] : cases) {
            t.boxes.clear();
            t.load(path);
            if (problem.isEmpty())
                QVERIFY(t.boxes.shown().isEmpty());
            else
                QCOMPARE(t.boxes.shown(),
                         QList<Shown>({{"CANNOT LOAD " + path + ": " + problem, 16, "Error"}}));
            QCOMPARE(t.ui().txtWatermark->toPlainText(), QString("kept"));
        }
    }

    // Files of fewer lines or bad values set what comes before the fault.
    void partialFiles()
    {
        const QStringList start {"start", "6", "0", "0", "4", "2", "2", "255"};
        const std::pair<QStringList, QStringList> cases[]
                = {{{}, start},
                   {{"Two", "1"}, {"Two", "1", "0", "0", "4", "2", "2", "255"}},
                   {{"Out", "2", "999", "3", "5", "6", "7"},
                    {"Out", "2", "0", "0", "4", "2", "2", "255"}},
                   {{"A", "0", "1", "2", "ab", "4", "300"},
                    {"A", "0", "1", "1", "2", "ab", "4", "100"}},
                   {{"N", "-1", "-1", "-1", "", "", ""}, {"N", "-1", "-1", "-1", "-1", "", "", ""}}};
        for (const auto &[file, state] : cases) {
            Tab t;
            t.ui().txtWatermark->setPlainText("start");
            QVERIFY(testmedia::writeFile(t.path("file.wsx"), lines(file)));
            t.load(t.path("file.wsx"));
            QCOMPARE(t.state(), state);
            QVERIFY(t.boxes.shown().isEmpty());
        }
    }
};

QTEST_MAIN(WatermarkTabTest)
#include "test_watermark_tab.moc"
