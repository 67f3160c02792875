#include "app/ProgressStrip.h"
#include "app/ProgressWindow.h"
#include "pipeline/TimeRemaining.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <array>

namespace {

bool navy(const QImage &image, int x, int y)
{
    return (image.pixel(x, y) | 0xff000000) == PercentBarForeground;
}

// Navy columns from the left of the bar's top row.
int filled(const QImage &bar)
{
    int columns = 0;
    while (columns < bar.width() && navy(bar, columns, 0))
        ++columns;
    return columns;
}

} // namespace

class ProgressWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The time still to wait follows the conversion's pace through its media.
    void timeRemaining()
    {
        for (const auto &[seconds, text] : {std::pair {59.7, "00:01:00"},
                                            {3725.0, "01:02:05"},
                                            {0.4, "00:00:00"},
                                            {1234.0 * 3600 + 61, "1234:01:01"},
                                            {-5.0, "00:00:00"}})
            QCOMPARE(pipeline::FormatTimeRemaining(seconds), QString(text));
        // Seconds elapsed and position of 60 s: remaining and share done.
        for (const auto &[elapsed, position, remaining, share] :
             {std::array {1.0, 30.0, 1.0, 0.5}, // copied, far faster than playback
              {20.0, 10.0, 100.0, 1 / 6.0}, // encoded, slower than playback
              {2.0, 0.0, 60.0, 0.0}, // nothing done yet
              {0.0, 5.0, 55.0, 5 / 60.0}}) { // no time elapsed
            const pipeline::ProgressClock clock = pipeline::wallClockProgress(elapsed, position, 60);
            QCOMPARE(clock.length - clock.position, remaining);
            QCOMPARE(clock.position / clock.length, share);
        }
    }

    // The text is rounded while the fill is not; the fill turns the text
    // under it white. The bar follows the progress below the length while
    // the window is open.
    void percentBar()
    {
        const QFont font = ProgressWindow().findChild<PercentBar *>("picStatus")->font();
        for (const auto &[percent, text, columns] : {std::tuple {0.0f, "0%", 0},
                                                     {0.4f, "0%", 1},
                                                     {50.0f, "50%", 163},
                                                     {99.6f, "100%", 324}}) {
            QCOMPARE(percentBarText(percent), QString(text));
            QImage bar = makePercentBarImage(QSize(325, 21));
            DrawPercentBar(bar, font, percent);
            QCOMPARE(filled(bar), columns);
            int textPixels = 0;
            for (int x = 140; x < 185; ++x) {
                for (int y = 3; y < 18; ++y)
                    textPixels += navy(bar, x, y) != (x < columns);
            }
            QVERIFY2(textPixels > 10, qPrintable(QString::number(textPixels)));
        }
        ProgressWindow window;
        auto *bar = window.findChild<PercentBar *>("picStatus");
        for (const auto &[position, open] : {std::pair {15.0, true}, {60.0, true}, {30.0, false}}) {
            if (!open)
                window.closeWindow();
            window.ShowProgress(position, 60);
            QCOMPARE(window.findChild<QLabel *>("lblRemaining")->text(), "00:00:45");
            QCOMPARE(filled(bar->image()), 81);
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
    }

    // The status bar's strip, fed by a scripted clock: reports of
    // (milliseconds since the stage started, position, length).
    void stripShowsPercentAndTimeLeft()
    {
        using Reports = QList<std::array<double, 3>>;
        const std::tuple<bool, Reports, int, QString> cases[]
                = {{true, {{5000, 15, 60}, {30000, 30, 60}}, 50, "00:00:30"}, // the rate so far
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
