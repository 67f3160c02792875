#include "app/ProgressWindow.h"
#include "doubles/Doubles.h"
#include "media/VideoEditComponent.h"
#include "pipeline/Normalization.h"

#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>

using namespace pipeline;
namespace MsgBoxAnswer = platform::MsgBoxAnswer;
using media::VideoEdit;
using platform::RecordingMessageBoxes;
using Shown = RecordingMessageBoxes::Shown;
namespace Msg = NormalizationMessages;

namespace {

// Message boxes that can keep a question open until something has happened
// meanwhile.
class WatchingMessageBoxes : public RecordingMessageBoxes
{
public:
    int MsgBox(const QString &prompt, int style, const QString &title) override
    {
        if (holdQuestionUntil && !QTest::qWaitFor(holdQuestionUntil, 30000))
            qWarning("the awaited event did not come while the question was open");
        return RecordingMessageBoxes::MsgBox(prompt, style, title);
    }

    std::function<bool()> holdQuestionUntil;
};

} // namespace

class NormalizationTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_media;
    std::unique_ptr<QTemporaryDir> m_appFolder;
    std::unique_ptr<media::VideoEditComponent> m_component;
    std::unique_ptr<WatchingMessageBoxes> m_boxes;
    std::unique_ptr<Normalizer> m_normalizer;
    QList<QPointer<ProgressWindow>> m_windows;
    bool m_ready = false;

    QString media(const QString &name) const { return m_media.filePath(name); }
    QString intermediate() const { return m_appFolder->filePath("temp.mpg"); }
    void normalize(const QString &source) { normalize(source, intermediate()); }
    void normalize(const QString &source, const QString &target)
    {
        m_ready = m_normalizer->SourceNormalizer(source, target);
    }
    QList<Shown> shown() const { return m_boxes->shown(); }
    const Shown abortQuestion {Msg::AbortQuestion, 36, "Confirm"};
    const Shown failure {Msg::NormalizationFailed, 16, "Error"};

    // Runs once the first progress notification has reached the window.
    void onFirstProgress(std::function<void()> action)
    {
        auto done = std::make_shared<bool>(false);
        connect(m_component.get(),
                &VideoEdit::ConversionProgress,
                this,
                [done, action](double, double) {
                    if (!std::exchange(*done, true))
                        QTimer::singleShot(0, action);
                });
    }

    void clickCancel()
    {
        QVERIFY(!m_windows.isEmpty() && m_windows.last());
        QVERIFY2(!m_windows.last()->isClosed(), "the conversion is still running");
        m_windows.last()->findChild<QPushButton *>("cmdCancel")->click();
    }

private Q_SLOTS:
    void initTestCase()
    {
        using testmedia::makeVideo;
        QVERIFY(makeVideo(media("av.avi"), {.seconds = 2}));
        // Cancel needs a conversion that is still running a moment after its
        // first progress report.
        QVERIFY(makeVideo(media("long.avi"), {.seconds = 3, .width = 640, .height = 480}));
        QVERIFY(makeVideo(media("silent.avi"),
                          {.seconds = 1, .width = 176, .height = 144, .audio = false}));
        QVERIFY(makeVideo(media("zero.avi"), {.extraOutputOptions = {"-t", "0"}}));
        QVERIFY(makeVideo(media("audio-only.avi"), {.seconds = 1, .extraOutputOptions = {"-vn"}}));
        QVERIFY(testmedia::writeFile(media("garbage.avi"), QByteArray(4096, 'Z')));
    }

    void init()
    {
        m_appFolder = std::make_unique<QTemporaryDir>();
        m_component = std::make_unique<media::VideoEditComponent>(
                media::findSystemFfmpeg(applicationFolderUnderTest()));
        m_boxes = std::make_unique<WatchingMessageBoxes>();
        m_windows.clear();
        auto makeWindow = [this] {
            auto window = std::make_unique<ProgressWindow>();
            m_windows.append(window.get());
            return window;
        };
        m_normalizer = std::make_unique<Normalizer>(*m_component, *m_boxes, makeWindow);
        m_ready = false;
    }

    void cleanup()
    {
        m_normalizer.reset();
        m_component.reset();
        QVERIFY2(testmedia::childProcesses().isEmpty(), "no converter left running");
    }

    // The intermediate is written, the progress window goes; what the
    // intermediate holds for each kind of source: see the video-editing
    // tests, the whole conversion: the encode job tests.
    void sourceBecomesTheIntermediate()
    {
        normalize(media("av.avi"));
        QVERIFY(m_ready);
        QCOMPARE(shown(), QList<Shown> {});
        QCOMPARE(m_windows.size(), 1);
        QVERIFY2(!m_windows.first(), "the window is gone once the normalizer returns");
        const QJsonObject probed = testmedia::probe(intermediate());
        QCOMPARE(probed["format"].toObject()["format_name"].toString(), "mpeg");
        QVERIFY(qAbs(testmedia::durationSeconds(probed) - 2.0) < 0.15);
        QCOMPARE(testmedia::firstStream(probed, "video")["width"].toInt(), 320);
        QCOMPARE(testmedia::firstStream(probed, "audio")["codec_name"].toString(), "mp2");
    }

    // What the person sees before anything, or instead of anything, is
    // written; a source without audio is converted only when they agree.
    void refusedOrAsked_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target"); // "" for the usual intermediate
        QTest::addColumn<int>("answer");
        QTest::addColumn<Shown>("box");
        QTest::addColumn<int>("windows");
        const Shown zero {Msg::ZeroDuration, 16, "Error"};
        const Shown noAudio {Msg::AudioFormatFailure, 36, "Confirm"};
        const int no = MsgBoxAnswer::No;
        QTest::newRow("no frames") << "zero.avi"
                                   << "" << no << zero << 0;
        QTest::newRow("no video") << "audio-only.avi"
                                  << "" << no << zero << 0;
        QTest::newRow("no source") << ""
                                   << "" << no << zero << 0;
        QTest::newRow("corrupted") << "garbage.avi"
                                   << "" << no << failure << 0;
        // Root writes anywhere, so the folder is made impossible instead: its
        // path names a regular file.
        QTest::newRow("unwritable folder")
                << "av.avi"
                << "av.avi/temp.mpg" << no << Shown {Msg::SaveFailed, 16, "Error"} << 0;
        QTest::newRow("no audio, No") << "silent.avi"
                                      << "" << no << noAudio << 0;
        QTest::newRow("no audio, Yes") << "silent.avi"
                                       << "" << int(MsgBoxAnswer::Yes) << noAudio << 1;
    }
    void refusedOrAsked()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(int, answer);
        QFETCH(Shown, box);
        QFETCH(int, windows);
        m_boxes->scriptAnswers({answer});
        m_ready = !windows;
        normalize(source.isEmpty() ? QString() : media(source),
                  target.isEmpty() ? intermediate() : media(target));
        QCOMPARE(m_ready, windows == 1);
        QCOMPARE(shown(), QList<Shown> {box});
        QCOMPARE(m_windows.size(), windows);
        const QJsonObject probed = testmedia::probe(intermediate());
        QCOMPARE(testmedia::firstStream(probed, "video")["width"].toInt(), windows ? 176 : 0);
        QVERIFY(testmedia::firstStream(probed, "audio").isEmpty());
    }

    // At the first progress report: Cancel, or the window's close box, asks
    // first; Yes stops and leaves no file, No lets the conversion finish, and
    // Yes wins over a finish handled while the question was open. A
    // converter that dies fails the normalization.
    void interrupted_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("holdUntilFinished");
        QTest::addColumn<Shown>("box");
        const int yes = MsgBoxAnswer::Yes;
        QTest::newRow("Cancel, Yes") << "cancel" << yes << false << abortQuestion;
        QTest::newRow("Cancel, No") << "cancel" << int(MsgBoxAnswer::No) << false << abortQuestion;
        QTest::newRow("close box, Yes") << "close" << yes << false << abortQuestion;
        QTest::newRow("Yes after the finish") << "cancel" << yes << true << abortQuestion;
        QTest::newRow("converter killed") << "kill" << yes << false << failure;
    }
    void interrupted()
    {
        QFETCH(QString, action);
        QFETCH(int, answer);
        QFETCH(bool, holdUntilFinished);
        QFETCH(Shown, box);
        QSignalSpy finished(m_component.get(), &VideoEdit::ConversionFinished);
        m_ready = true;
        m_boxes->scriptAnswers({answer});
        if (holdUntilFinished)
            m_boxes->holdQuestionUntil = [&] {
                return finished.count() > 0;
            };
        onFirstProgress([this, action] {
            const qint64 converter = testmedia::childProcesses().value(0);
            if (action == "close")
                m_windows.last()->close();
            else if (action == "kill" && converter > 0)
                ::kill(pid_t(converter), SIGKILL);
            else if (action == "cancel")
                clickCancel();
        });
        normalize(media("long.avi"));
        QCOMPARE(m_ready, answer == MsgBoxAnswer::No);
        QCOMPARE(shown(), QList<Shown> {box});
        QCOMPARE(m_windows.size(), 1);
        QCOMPARE(finished.count(), int(m_ready || holdUntilFinished));
        const double seconds = testmedia::durationSeconds(testmedia::probe(intermediate()));
        if (!holdUntilFinished)
            QVERIFY2(m_ready ? qAbs(seconds - 3.0) < 0.15 : seconds < 0, "all of it, or no file");
    }
};

QTEST_MAIN(NormalizationTest)
#include "test_normalization.moc"
