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

    void refusedCharacterWritesNothing()
    {
        Tab t;
        const QString file = t.path("keep.wsx");
        t.write(file, "old content");
        t.ui().txtWatermark->setPlainText("Smile ☺");
        t.save(file);
        QCOMPARE(t.boxes.shown().size(), 1);
        QCOMPARE(t.boxes.shown().first().title, QString("Error"));
        QVERIFY(t.boxes.shown().first().prompt.contains("\"☺\" AT POSITION 7"));
        QCOMPARE(t.read(file), QByteArray("old content"));
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

        // An empty file and a file that does not exist change nothing.
        t.write(t.path("empty.wsx"), "");
        t.load(t.path("empty.wsx"));
        t.load(t.path("missing.wsx"));
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
