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
    QByteArray read(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QTemporaryDir files;
};

QByteArray line(const QByteArray &value)
{
    return watermark::Scramble(value, watermark::SettingsKey) + "\r\n";
}

} // namespace

class WatermarkTabTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typingIsFiltered()
    {
        Tab t;
        for (QLineEdit *box : {t.ui().txtLeft, t.ui().txtTop, t.ui().txtAlpha}) {
            box->clear();
            QTest::keyClicks(box, "a-. 1");
            QCOMPARE(box->text(), QString("1"));
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClicks(box, "2345");
            QCOMPARE(box->text().size(), 3);
            QTest::keyClick(box, Qt::Key_Backspace);
            QCOMPARE(box->text().size(), 2);
            QTest::keyClick(box, Qt::Key_Left);
            QTest::keyClick(box, Qt::Key_Delete);
            QCOMPARE(box->text().size(), 1);
        }
    }

    // Keys that move or act are no characters: the filters let them through.
    void keysThatAreNoCharactersPass_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor"); // after "1|2" and the key; -1: the focus moved on
        QTest::addColumn<QString>("selected");
        for (const char *box : {"txtLeft", "txtTop", "txtAlpha", "txtNumImages"}) {
            const QByteArray name(box);
            QTest::newRow(name + " Tab") << box << int(Qt::Key_Tab) << 0 << "\t" << -1 << "";
            QTest::newRow(name + " Backtab")
                    << box << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "" << -1 << "";
            QTest::newRow(name + " Home") << box << int(Qt::Key_Home) << 0 << "" << 0 << "";
            QTest::newRow(name + " End") << box << int(Qt::Key_End) << 0 << "" << 2 << "";
            QTest::newRow(name + " Left") << box << int(Qt::Key_Left) << 0 << "" << 0 << "";
            QTest::newRow(name + " Ctrl+A")
                    << box << int(Qt::Key_A) << int(Qt::ControlModifier) << "\x01" << 2 << "12";
        }
    }
    void keysThatAreNoCharactersPass()
    {
        QFETCH(QString, box);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(QString, selected);
        Tab t;
        auto *edit = t.window().findChild<QLineEdit *>(box);
        for (QWidget *page = edit; page; page = page->parentWidget()) {
            if (t.ui().sstThis->indexOf(page) >= 0)
                t.ui().sstThis->setCurrentWidget(page);
        }
        t.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window()));
        edit->setText("12");
        edit->setFocus();
        edit->setCursorPosition(1);
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(edit, &press);
        QCOMPARE(edit->text(), QString("12"));
        if (cursor < 0) {
            QVERIFY2(t.window().focusWidget() != edit, "the key stayed in the box");
        } else {
            QCOMPARE(t.window().focusWidget(), edit);
            QCOMPARE(edit->cursorPosition(), cursor);
            QCOMPARE(edit->selectedText(), selected);
        }
    }

    void alphaLimitWhileTyping()
    {
        Tab t;
        QLineEdit *alpha = t.ui().txtAlpha;
        alpha->clear();
        QTest::keyClick(alpha, Qt::Key_3);
        QCOMPARE(alpha->text(), QString("3"));
        QTest::keyClick(alpha, Qt::Key_0);
        QCOMPARE(alpha->text(), QString("30"));
        QTest::keyClick(alpha, Qt::Key_0);
        QCOMPARE(alpha->text(), QString("100"));
        alpha->clear();
        QTest::keyClicks(alpha, "255");
        QCOMPARE(alpha->text(), QString("255"));
        alpha->setText("256");
        QCOMPARE(alpha->text(), QString("100"));
    }

    void spinnerSteps()
    {
        Tab t;
        QLineEdit *alpha = t.ui().txtAlpha;
        QToolButton *up = t.ui().updAlpha->upButton();
        QToolButton *down = t.ui().updAlpha->downButton();
        alpha->setText("254");
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(alpha->text(), QString("255"));
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(alpha->text(), QString("255"));
        alpha->setText("007");
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(alpha->text(), QString("8"));
        alpha->setText("2");
        QTest::mouseClick(down, Qt::LeftButton);
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(alpha->text(), QString("1"));
        alpha->clear();
        QTest::mouseClick(up, Qt::LeftButton);
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(alpha->text(), QString());
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
        const QString file = t.path("mine"); // no extension is added
        t.save(file);

        QCOMPARE(t.boxes.shown(), QList<Shown>({{"SETTINGS SAVED AS " + file, 64, " Message"}}));
        QVERIFY(QFile::exists(file));
        QVERIFY(!QFile::exists(file + ".wsx"));
        const platform::FileDialogRequest request = t.dialogs.fileRequests.last();
        QCOMPARE(request.title, QString("Save Watermark Settings"));
        QCOMPARE(request.mode, platform::FileDialogRequest::Mode::Save);
        QVERIFY(request.confirmOverwrite);
        QVERIFY(!request.fileMustExist);
        QCOMPARE(request.nameFilters, QStringList({"Watermark Settings File (*.wsx)"}));
        QCOMPARE(request.initialPath, QString());

        ui.txtWatermark->setPlainText("other");
        ui.ccbWatermarkColor->setSelectedPosition(0);
        ui.cmbFontName->setCurrentIndex(0);
        ui.cmbFontSize->setCurrentIndex(0);
        ui.txtLeft->setText("9");
        ui.txtTop->setText("9");
        ui.txtAlpha->setText("9");
        t.load(file);
        QCOMPARE(t.boxes.shown().size(), 1); // a load shows nothing
        QCOMPARE(ui.txtWatermark->toPlainText(), QString("Line one é\nline two"));
        QCOMPARE(ui.ccbWatermarkColor->selectedPosition(), qint16(3));
        QCOMPARE(ui.cmbFontName->currentIndex(), 2);
        QCOMPARE(ui.cmbFontFileName->currentIndex(), 2);
        QCOMPARE(ui.cmbFontSize->currentIndex(), 7);
        QCOMPARE(ui.txtLeft->text(), QString(""));
        QCOMPARE(ui.txtTop->text(), QString("120"));
        QCOMPARE(ui.txtAlpha->text(), QString("77"));
        QCOMPARE(t.dialogs.fileRequests.last().title, QString("Load Watermark Settings"));
        QCOMPARE(t.dialogs.fileRequests.last().mode, platform::FileDialogRequest::Mode::Open);
    }

    void saveReplacesTheOldFileCompletely()
    {
        Tab t;
        const QString file = t.path("old.wsx");
        t.write(file, QByteArray(5000, 'z'));
        t.ui().txtWatermark->setPlainText("x");
        t.save(file);
        const QByteArray bytes = t.read(file);
        QCOMPARE(bytes.count("\r\n"), 7);
        QVERIFY(!bytes.contains('z'));
        QCOMPARE(QDir(t.files.path()).entryList(QDir::Files), QStringList({"old.wsx"}));
    }

    void emptyTextIsRefusedBeforeAnyDialog()
    {
        Tab t;
        t.ui().txtWatermark->clear();
        t.ui().sstThis->setCurrentIndex(0);
        t.save(t.path("never.wsx"));
        QCOMPARE(t.boxes.shown(), QList<Shown>({{"WATERMARK TEXT MISSING!", 16, "Error"}}));
        QVERIFY(t.dialogs.fileRequests.isEmpty());
        QCOMPARE(t.ui().sstThis->currentIndex(), 1);
        QCOMPARE(t.window().focusWidget(), t.ui().txtWatermark);
        QVERIFY(!QFile::exists(t.path("never.wsx")));
    }

    void refusedValueWritesNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("character outside the code page")
                << "Smile ☺"
                << "THE CHARACTER \"☺\" AT POSITION 7 OF THE WATERMARK TEXT";
        QTest::newRow("over 32767 characters")
                << QString(32768, u'x') << "THE WATERMARK TEXT IS TOO LONG TO BE SAVED!";
    }
    void refusedValueWritesNothing()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        Tab t;
        const QString file = t.path("keep.wsx");
        t.write(file, "old content");
        t.ui().txtWatermark->setPlainText(text);
        t.save(file);
        QCOMPARE(t.boxes.shown().size(), 1);
        QCOMPARE(t.boxes.shown().first().title, QString("Error"));
        QVERIFY2(t.boxes.shown().first().prompt.contains(message),
                 qPrintable(t.boxes.shown().first().prompt));
        QCOMPARE(t.read(file), QByteArray("old content"));
        QCOMPARE(QDir(t.files.path()).entryList(QDir::Files), QStringList({"keep.wsx"}));
    }

    // Files no save can have made: an "Error" box names the problem, and
    // the window keeps what it shows, without waiting for a writer.
    void unreadableFilesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("problem");
        QTest::newRow("missing") << "missing.wsx"
                                 << "No such file or directory";
        QTest::newRow("folder") << "folder.wsx"
                                << "not a regular file";
        QTest::newRow("pipe without a writer") << "pipe.wsx"
                                               << "not a regular file";
        QTest::newRow("device") << "/dev/zero"
                                << "not a regular file";
        QTest::newRow("4 MB without a line break") << "long.wsx"
                                                   << "larger than 229383 bytes";
        QTest::newRow("one byte more than seven full lines") << "over.wsx"
                                                             << "larger than 229383 bytes";
    }
    void unreadableFilesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, problem);
        Tab t;
        QVERIFY(QDir(t.files.path()).mkdir("folder.wsx"));
        QCOMPARE(::mkfifo(QFile::encodeName(t.path("pipe.wsx")).constData(), 0600), 0);
        t.write(t.path("long.wsx"), QByteArray(4 << 20, 'a'));
        t.write(t.path("over.wsx"),
                QByteArray(7 * 32769, 'a').replace(0, 7, "\r\r\r\r\r\r\r") + "a");
        t.ui().txtWatermark->setPlainText("kept");
        const QString path = name.startsWith('/') ? name : t.path(name);
        t.load(path);
        QCOMPARE(t.boxes.shown().size(), 1);
        QCOMPARE(t.boxes.shown().first().title, QString("Error"));
        QCOMPARE(t.boxes.shown().first().prompt, "CANNOT LOAD " + path + ": " + problem);
        QCOMPARE(t.ui().txtWatermark->toPlainText(), QString("kept"));
    }

    void cancelChangesNothing()
    {
        Tab t;
        t.ui().txtWatermark->setPlainText("kept");
        t.save(QString());
        t.load(QString());
        QVERIFY(t.boxes.shown().isEmpty());
        QCOMPARE(t.ui().txtWatermark->toPlainText(), QString("kept"));
        QCOMPARE(t.dialogs.fileRequests.size(), 2);
    }

    void partialAndFaultyFiles()
    {
        Tab t;
        const MainWindowUi &ui = t.ui();
        // Two lines only: the rest keep their values.
        t.write(t.path("two.wsx"), line("Two") + line("1"));
        t.load(t.path("two.wsx"));
        QCOMPARE(ui.txtWatermark->toPlainText(), QString("Two"));
        QCOMPARE(ui.ccbWatermarkColor->selectedPosition(), qint16(1));
        QCOMPARE(ui.txtAlpha->text(), QString("255"));

        // An index outside its list stops there.
        t.write(t.path("outside.wsx"),
                line("Outside") + line("2") + line("999") + line("3") + line("5") + line("6")
                        + line("7"));
        t.load(t.path("outside.wsx"));
        QCOMPARE(ui.txtWatermark->toPlainText(), QString("Outside"));
        QCOMPARE(ui.ccbWatermarkColor->selectedPosition(), qint16(2));
        QCOMPARE(ui.cmbFontName->currentIndex(), 0);
        QCOMPARE(ui.txtLeft->text(), QString("2"));

        // A stored alpha of 300 arrives as 100; letters in a position arrive unchanged.
        t.write(t.path("alpha.wsx"),
                line("A") + line("0") + line("1") + line("2") + line("ab") + line("4")
                        + line("300"));
        t.load(t.path("alpha.wsx"));
        QCOMPARE(ui.txtLeft->text(), QString("ab"));
        QCOMPARE(ui.txtAlpha->text(), QString("100"));

        // Nothing selected is stored as -1 and comes back as no selection.
        t.write(t.path("none.wsx"),
                line("N") + line("-1") + line("-1") + line("-1") + line("") + line("") + line(""));
        t.load(t.path("none.wsx"));
        QCOMPARE(ui.ccbWatermarkColor->selectedPosition(), qint16(-1));
        QCOMPARE(ui.cmbFontName->currentIndex(), -1);
        QCOMPARE(ui.cmbFontFileName->currentIndex(), -1);
        QCOMPARE(ui.cmbFontSize->currentIndex(), -1);

        // An empty file changes nothing.
        t.write(t.path("empty.wsx"), "");
        t.load(t.path("empty.wsx"));
        QCOMPARE(ui.txtWatermark->toPlainText(), QString("N"));
        QVERIFY(t.boxes.shown().isEmpty());
    }

    void nextDialogStartsFromTheSavedPath()
    {
        Tab t;
        t.ui().txtWatermark->setPlainText("x");
        t.save(t.path("saved.wsx"));
        QCOMPARE(t.window().CommonDialog1().FileName, t.path("saved.wsx"));
        // The source dialog does not reset the name, so it starts there.
        QTest::mouseClick(t.ui().cmdInput, Qt::LeftButton);
        QCOMPARE(t.dialogs.fileRequests.last().initialPath, t.path("saved.wsx"));
    }
};

QTEST_MAIN(WatermarkTabTest)
#include "test_watermark_tab.moc"
