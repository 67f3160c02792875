// Ways into the window besides the mouse: a file handed over on the command
// line or dropped on the Converter tab, and the names and Tab order a
// keyboard or screen-reader user meets.
#include "support/WindowFixture.h"

#include "app/StartOptions.h"
#include "platform/UpDown.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
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

    // The command line and a drop anywhere on the Converter tab do what
    // Input File does, or show an "Error" box and change nothing.
    void handedOverSources()
    {
        WindowFixture &f = *m_fixture;
        const MainWindowUi &ui = f.window().ui();
        QTemporaryDir media;
        const QString types = "*.mpg *.mpeg *.avi *.wmv *.asf *.flv *.mov *.mp4 *.3gp *.vob *.dat";
        // Names ending in "/" are folders; the output name, or "" and the refusal.
        const std::tuple<QStringList, QString, QString> cases[]
                = {{{"in put/Émile's clip.avi"}, "Émile's clip.flv", ""},
                   {{"CLIP.MPEG"}, "CLIP.flv", ""},
                   {{"gone.avi"}, "", "FILE NOT FOUND: " + media.filePath("gone.avi")},
                   {{"videos.mpg/"}, "", "PLEASE CHOOSE A VIDEO FILE, NOT A FOLDER!"},
                   {{"notes.txt"}, "", "UNSUPPORTED FILE TYPE! SUPPORTED VIDEO FILES: " + types},
                   {{"a.avi", "b.avi"}, "", "PLEASE CHOOSE ONE VIDEO FILE AT A TIME!"}};
        for (const auto &[names, expectedName, message] : cases) {
            QStringList paths;
            for (const QString &name : names) {
                paths << media.filePath(name.chopped(name.endsWith(u'/') ? 1 : 0));
                QDir().mkpath(name.endsWith(u'/') ? paths.last() : QFileInfo(paths.last()).path());
                if (!name.endsWith(u'/') && !name.startsWith("gone"))
                    QFile(paths.last()).open(QIODevice::WriteOnly);
            }
            // nullptr: the command line.
            for (QWidget *target : std::initializer_list<QWidget *> {nullptr,
                                                                     ui.sstThis->widget(0),
                                                                     ui.txtOutFile,
                                                                     ui.cmbAudioBitrate}) {
                ui.lblInput->setText("/earlier/choice.mpg");
                ui.txtOutFile->setText("mine.flv");
                f.boxes.clear();
                if (target)
                    QVERIFY(drop(target, paths));
                else
                    f.window().openSource(paths);
                if (expectedName.isEmpty()) {
                    QCOMPARE(f.boxes.shown(), QList<Shown>({{message, 16, "Error"}}));
                    QCOMPARE(ui.lblInput->text(), QString("/earlier/choice.mpg"));
                    QCOMPARE(ui.txtOutFile->text(), QString("mine.flv"));
                } else {
                    QVERIFY(f.boxes.shown().isEmpty());
                    QCOMPARE(ui.lblInput->text(), paths.first());
                    QCOMPARE(ui.txtOutFile->text(), expectedName);
                    // Input File opens next at the file handed over.
                    QTest::mouseClick(ui.cmdInput, Qt::LeftButton);
                    QCOMPARE(f.dialogs.fileRequests.last().initialPath, paths.first());
                }
            }
        }
        const std::pair<QStringList, QStringList> arguments[]
                = {{{"trovexa"}, {}},
                   {{"trovexa", "My Clip.avi"}, {"My Clip.avi"}},
                   {{"trovexa", "--", "-x.mpg"}, {"-x.mpg"}},
                   {{"trovexa", "a.avi", "b.avi"}, {"a.avi", "b.avi"}}};
        for (const auto &[line, files] : arguments)
            QCOMPARE(readStartOptions(line).files, files);
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

    // The names a screen reader gives the controls without a caption of
    // their own; the spinner's buttons are "updAlpha.up" and "updAlpha.down".
    void accessibleNames()
    {
        WindowFixture &f = *m_fixture;
        const auto *spinner = f.window().findChild<platform::UpDown *>("updAlpha");
        const std::pair<const char *, const char *> names[] = {{"txtOutFile", "Output File Name"},
                                                               {"cmbVideoWindow", "Video Window"},
                                                               {"cmbVideoBitrate", "Video Bitrate"},
                                                               {"txtNumImages", "Number of Frames"},
                                                               {"cmbCodec", "Codec"},
                                                               {"cmbAudioBitrate", "Audio Bitrate"},
                                                               {"cmbAudioSampling",
                                                                "Sampling Frequency"},
                                                               {"cmbAudioChannels", "Channels"},
                                                               {"txtWatermark", "Watermark Text"},
                                                               {"cmbFontName", "Font"},
                                                               {"cmbFontSize", "Font Size"},
                                                               {"ccbWatermarkColor",
                                                                "Watermark Color"},
                                                               {"txtLeft", "Left"},
                                                               {"txtTop", "Top"},
                                                               {"txtAlpha", "Alpha"},
                                                               {"updAlpha.up", "Increase Alpha"},
                                                               {"updAlpha.down", "Decrease Alpha"}};
        for (const auto &[control, name] : names) {
            const QString id(control);
            QWidget *widget = id == "updAlpha.up" ? spinner->upButton()
                    : id == "updAlpha.down"       ? spinner->downButton()
                                                  : f.window().findChild<QWidget *>(id);
            QVERIFY2(widget, control);
            QCOMPARE(heardName(widget), QString(name));
        }
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
