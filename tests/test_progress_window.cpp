#include "app/PercentBar.h"
#include "app/ProgressStrip.h"
#include "app/ProgressWindow.h"
#include "pipeline/TimeRemaining.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <array>

namespace {

// picStatus as the window draws it.
QImage drawBar(float percent)
{
    QImage image = makePercentBarImage(QSize(325, 21));
    static const QFont font = ProgressWindow().findChild<PercentBar *>("picStatus")->font();
    DrawPercentBar(image, font, percent);
    return image;
}

bool navy(const QImage &image, int x, int y)
{
    return (image.pixel(x, y) | 0xff000000) == PercentBarForeground;
}

} // namespace

class ProgressWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The time still to wait follows the conversion's pace through its media.
    void timeRemaining()
    {
        const std::pair<double, QString> texts[] = {{59.7, "00:01:00"},
                                                    {3599.6, "01:00:00"},
                                                    {125.4, "00:02:05"},
                                                    {3725.0, "01:02:05"},
                                                    {0.4, "00:00:00"},
                                                    {1234.0 * 3600 + 61, "1234:01:01"},
                                                    {-5.0, "00:00:00"}};
        for (const auto &[seconds, text] : texts)
            QCOMPARE(pipeline::FormatTimeRemaining(seconds), text);
        // Seconds elapsed and position of 60 s: remaining and share done.
        const std::array<double, 4> paces[] = {{1, 30, 1, 0.5}, // copied, far faster than playback
                                               {20, 10, 100, 1 / 6.0}, // encoded, slower than playback
                                               {15, 15, 45, 0.25},
                                               {2, 0, 60, 0}, // nothing done yet
                                               {0, 5, 55, 5 / 60.0}, // no time elapsed
                                               {8, 60, 0, 1}};
        for (const auto &[elapsed, position, remaining, share] : paces) {
            const pipeline::ProgressClock clock = pipeline::wallClockProgress(elapsed, position, 60);
            QCOMPARE(clock.length - clock.position, remaining);
            QCOMPARE(clock.position / clock.length, share);
        }
    }

    // The text is rounded while the fill is not; the fill turns the text
    // under it white.
    void percentBar()
    {
        // Percent, text and navy columns from the left.
        const std::tuple<float, QString, int> bars[] = {{0.0f, "0%", 0},
                                                        {0.4f, "0%", 1},
                                                        {50.0f, "50%", 163},
                                                        {99.6f, "100%", 324},
                                                        {100.0f, "100%", 325}};
        for (const auto &[percent, text, filled] : bars) {
            QCOMPARE(percentBarText(percent), text);
            const QImage bar = drawBar(percent);
            int navyInTopRow = 0;
            for (int x = 0; x < bar.width(); ++x)
                navyInTopRow += navy(bar, x, 0);
            QCOMPARE(navyInTopRow, filled);
            QVERIFY(filled == 0 || navy(bar, filled - 1, 0));
            // The text in the middle: pixels there differ from the fill.
            int textPixels = 0;
            for (int x = 140; x < 185; ++x) {
                for (int y = 3; y < 18; ++y)
                    textPixels += navy(bar, x, y) != (x < filled);
            }
            QVERIFY2(textPixels > 10, qPrintable(QString::number(textPixels)));
        }
    }

    void progressUpdatesOnlyBelowLengthAndWhileOpen()
    {
        ProgressWindow window;
        auto *bar = window.findChild<PercentBar *>("picStatus");
        auto *remaining = window.findChild<QLabel *>("lblRemaining");
        QCOMPARE(bar->image(), drawBar(0));
        for (const auto &[position, open] :
             {std::pair {15.0, true}, {60.0, true}, {61.0, true}, {30.0, false}}) {
            if (!open)
                window.closeWindow();
            window.ShowProgress(position, 60);
            QCOMPARE(remaining->text(), "00:00:45");
            QCOMPARE(bar->image(), drawBar(25));
        }
    }

    // Cancel, the close box and Escape ask to cancel; Enter does not.
    void onlyCancelKeysAskToCancel()
    {
        ProgressWindow window;
        int requests = 0;
        QTimer::singleShot(0, &window, [&] {
            QTest::keyClick(&window, Qt::Key_Return);
            QTest::keyClick(window.findChild<QPushButton *>("cmdCancel"), Qt::Key_Enter);
            QCOMPARE(requests, 0);
            window.findChild<QPushButton *>("cmdCancel")->click();
            window.close();
            QTest::keyClick(&window, Qt::Key_Escape);
            QVERIFY(window.isVisible());
            window.closeWindow();
        });
        window.showModal([&] { ++requests; });
        QCOMPARE(requests, 3);
        QVERIFY(!window.isVisible());

        ProgressWindow hidden;
        QTimer::singleShot(0, &hidden, [&] { hidden.hideWindow(); });
        hidden.showModal([] {});
        QVERIFY(!hidden.isVisible());
        QVERIFY(!hidden.isClosed());
    }

    // The status bar's strip, fed by a scripted clock: reports of
    // (milliseconds since the stage started, position, length).
    void stripShowsPercentAndTimeLeft()
    {
        using Reports = QList<std::array<double, 3>>;
        const std::tuple<bool, Reports, int, QString> cases[]
                = {{true, {{10000, 30, 60}}, 50, "00:00:10"},
                   {true, {{5000, 15, 60}, {30000, 30, 60}}, 50, "00:00:30"}, // the rate so far
                   {true, {{2000, 0, 60}}, 0, ""},
                   {true, {{9000, 70, 60}}, 100, "00:00:00"},
                   {true, {{9000, 7, 0}}, 0, ""}, // length unknown
                   {false, {{9000, 30, 60}}, 0, ""}};
        for (const auto &[measured, reports, percent, remaining] : cases) {
            qint64 now = 1000;
            ProgressStrip strip(nullptr, [&] { return now; });
            strip.show();
            strip.showStage("Encoding clip.flv", measured);
            for (const auto &[at, position, length] : reports) {
                now = 1000 + qint64(at);
                strip.showProgress(position, length);
            }
            QCOMPARE(strip.text(), QString("Encoding clip.flv"));
            const auto *bar = strip.findChild<QProgressBar *>("prgStage");
            QCOMPARE(bar->maximum(), measured ? 100 : 0);
            QCOMPARE(bar->value(), percent);
            QCOMPARE(strip.findChild<QLabel *>("lblRemaining")->text(), remaining);
            auto *cancel = strip.findChild<QPushButton *>("cmdCancelStage");
            QSignalSpy cancelled(&strip, &ProgressStrip::cancelRequested);
            QTest::mouseClick(cancel, Qt::LeftButton);
            QCOMPARE(cancelled.count(), 1);
            strip.showEnd("Cancelled");
            QCOMPARE(strip.text(), QString("Cancelled"));
            QVERIFY(!cancel->isVisible() && !bar->isVisible());
        }
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "test_progress_window.moc"
