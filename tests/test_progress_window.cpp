#include "app/PercentBar.h"
#include "app/ProgressStrip.h"
#include "app/ProgressWindow.h"
#include "pipeline/TimeRemaining.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

constexpr QRgb Navy = PercentBarForeground;
constexpr QRgb White = PercentBarBackground;

// picStatus at its window size: 4875 x 315 twips.
QImage drawBar(float percent)
{
    QImage image = makePercentBarImage(QSize(325, 21));
    // The font the window gives picStatus.
    static const QFont font = ProgressWindow().findChild<PercentBar *>("picStatus")->font();
    DrawPercentBar(image, font, percent);
    return image;
}

QRgb at(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xff000000;
}

// The image with columns [0, edge) inverted: what the text alone looked like
// before the not-xor fill.
QImage undoFill(const QImage &image, int edge)
{
    QImage text = image.copy();
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < edge; ++x)
            text.setPixel(x, y, at(text, x, y) == Navy ? White : Navy);
    return text;
}

// Bounding box of the navy pixels.
QRect inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (at(image, x, y) == Navy)
                box |= QRect(x, y, 1, 1);
    return box;
}

int differingColumns(const QImage &a, const QImage &b, int *first)
{
    int count = 0;
    for (int x = 0; x < a.width(); ++x) {
        for (int y = 0; y < a.height(); ++y) {
            if (at(a, x, y) != at(b, x, y)) {
                if (count++ == 0)
                    *first = x;
                break;
            }
        }
    }
    return count;
}

} // namespace

class ProgressWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatTimeRemaining_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("rounds up to a minute") << 59.7 << "00:01:00";
        QTest::newRow("rounds up to an hour") << 3599.6 << "01:00:00";
        QTest::newRow("rounds down") << 125.4 << "00:02:05";
        QTest::newRow("hours") << 3725.0 << "01:02:05";
        QTest::newRow("under half a second") << 0.4 << "00:00:00";
        QTest::newRow("hundred hours") << 360000.0 << "100:00:00";
        QTest::newRow("thousands of hours") << 1234.0 * 3600 + 61 << "1234:01:01";
        QTest::newRow("negative") << -5.0 << "00:00:00";
    }
    void formatTimeRemaining()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(pipeline::FormatTimeRemaining(seconds), text);
    }

    // The time still to wait follows the conversion's pace through its media.
    void wallClockProgress_data()
    {
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("remaining");
        QTest::addColumn<double>("share");
        QTest::newRow("copied, far faster than playback") << 1.0 << 30.0 << 60.0 << 1.0 << 0.5;
        QTest::newRow("encoded, slower than playback") << 20.0 << 10.0 << 60.0 << 100.0 << 1 / 6.0;
        QTest::newRow("at playback speed") << 15.0 << 15.0 << 60.0 << 45.0 << 0.25;
        QTest::newRow("nothing done yet") << 2.0 << 0.0 << 60.0 << 60.0 << 0.0;
        QTest::newRow("no time elapsed") << 0.0 << 5.0 << 60.0 << 55.0 << 5 / 60.0;
        QTest::newRow("done") << 8.0 << 60.0 << 60.0 << 0.0 << 1.0;
    }
    void wallClockProgress()
    {
        QFETCH(double, elapsed);
        QFETCH(double, position);
        QFETCH(double, length);
        QFETCH(double, remaining);
        QFETCH(double, share);
        const pipeline::ProgressClock clock = pipeline::wallClockProgress(elapsed, position, length);
        QCOMPARE(clock.length - clock.position, remaining);
        QCOMPARE(clock.length > 0 ? clock.position / clock.length : 0.0, share);
    }

    void textIsRoundedWhileTheBarIsNot()
    {
        QCOMPARE(percentBarText(0.0f), "0%");
        QCOMPARE(percentBarText(0.4f), "0%");
        QCOMPARE(percentBarText(46.0f), "46%");
        QCOMPARE(percentBarText(99.6f), "100%");

        // 0.4 %: the same picture as 0 % except a navy sliver at the left edge.
        const QImage empty = drawBar(0);
        const QImage sliver = drawBar(0.4f);
        int first = -1;
        QCOMPARE(differingColumns(empty, sliver, &first), 1);
        QCOMPARE(first, 0);
        for (int y = 0; y < sliver.height(); ++y)
            QCOMPARE(at(sliver, 0, y), Navy);

        // 99.6 %: "100%" with the last column still white.
        const QImage almost = drawBar(99.6f);
        const QImage full = drawBar(100);
        QCOMPARE(differingColumns(almost, full, &first), 1);
        QCOMPARE(first, 324);
        for (int y = 0; y < almost.height(); ++y)
            QCOMPARE(at(almost, 324, y), White);
    }

    void emptyBarShowsCentredTextOnWhite()
    {
        const QImage bar = drawBar(0);
        const QRect ink = inkBox(bar);
        QVERIFY(!ink.isEmpty());
        // Nothing navy but the text, centred.
        QVERIFY(ink.width() < 30 && ink.height() < 16);
        QVERIFY(qAbs(ink.left() - (bar.width() - 1 - ink.right())) <= 2);
        QVERIFY(qAbs(ink.top() - (bar.height() - 1 - ink.bottom())) <= 3);
    }

    void halfBarInvertsTheTextLeftOfTheEdge()
    {
        const QImage bar = drawBar(50);
        const int edge = 163; // 325 * 0.5, rounded
        for (int y = 0; y < bar.height(); ++y) {
            for (int x = 0; x < bar.width(); ++x) {
                const QRgb pixel = at(bar, x, y);
                QVERIFY2(pixel == Navy || pixel == White, "only the two bar colours");
            }
        }
        int whiteLeft = 0;
        int navyRight = 0;
        for (int y = 0; y < bar.height(); ++y) {
            for (int x = 0; x < bar.width(); ++x) {
                if (x < edge && at(bar, x, y) == White)
                    ++whiteLeft;
                if (x >= edge && at(bar, x, y) == Navy)
                    ++navyRight;
            }
        }
        QVERIFY2(whiteLeft > 5, "text inside the navy part is white");
        QVERIFY2(navyRight > 5, "text outside it stays navy");
        // Top and bottom rows hold no text: navy left of the edge, white right.
        for (int y : {0, bar.height() - 1}) {
            QCOMPARE(at(bar, edge - 1, y), Navy);
            QCOMPARE(at(bar, edge, y), White);
            QCOMPARE(at(bar, 0, y), Navy);
            QCOMPARE(at(bar, bar.width() - 1, y), White);
        }
        // Inverting the filled part gives back plain centred text.
        const QRect ink = inkBox(undoFill(bar, edge));
        QVERIFY(ink.width() < 30 && ink.height() < 16);
        QVERIFY(ink.left() < edge && ink.right() >= edge);
        QVERIFY(qAbs(ink.left() - (bar.width() - 1 - ink.right())) <= 2);

        // Full bar: the text is white on navy throughout.
        const QImage full = drawBar(100);
        const QRect fullInk = inkBox(undoFill(full, full.width()));
        QVERIFY(qAbs(fullInk.left() - (full.width() - 1 - fullInk.right())) <= 2);
    }

    void windowLayout()
    {
        ProgressWindow window;
        QCOMPARE(window.objectName(), "frmProgress");
        QCOMPARE(window.windowTitle(), "Processing intermediate...please wait");
        QCOMPARE(window.size(), QSize(356, 105));
        QCOMPARE(window.font().pointSizeF(), 8.25);
        auto *frame = window.findChild<QGroupBox *>("Frame1");
        QVERIFY(frame && frame->title().isEmpty());
        QCOMPARE(frame->geometry(), QRect(8, 0, 341, 97));
        auto *lblCurrent = window.findChild<QLabel *>("lblCurrent");
        QCOMPARE(lblCurrent->text(), "Estimated Time Remaining:");
        QCOMPARE(lblCurrent->pos(), QPoint(80, 16));
        QCOMPARE(lblCurrent->height(), 17);
        // 133 pixels wide, or up to lblRemaining when the font needs it.
        QVERIFY(lblCurrent->width() >= 133 && lblCurrent->width() <= 140);
        QVERIFY(lblCurrent->fontMetrics().horizontalAdvance(lblCurrent->text())
                <= lblCurrent->width());
        QCOMPARE(window.findChild<QLabel *>("lblRemaining")->text(), "88:88:88");
        QCOMPARE(window.findChild<QLabel *>("lblRemaining")->geometry(), QRect(220, 16, 49, 17));
        auto *bar = window.findChild<PercentBar *>("picStatus");
        QCOMPARE(bar->geometry(), QRect(8, 32, 325, 21));
        QCOMPARE(bar->image(), drawBar(0));
        auto *cancel = window.findChild<QPushButton *>("cmdCancel");
        QCOMPARE(cancel->text(), "&Cancel");
        QCOMPARE(cancel->geometry(), QRect(232, 60, 102, 29));
    }

    void progressUpdatesOnlyBelowLengthAndWhileOpen()
    {
        ProgressWindow window;
        auto *bar = window.findChild<PercentBar *>("picStatus");
        auto *remaining = window.findChild<QLabel *>("lblRemaining");
        window.ShowProgress(15, 60);
        QCOMPARE(remaining->text(), "00:00:45");
        QCOMPARE(bar->image(), drawBar(25));

        window.ShowProgress(60, 60);
        window.ShowProgress(61, 60);
        QCOMPARE(remaining->text(), "00:00:45");
        QCOMPARE(bar->image(), drawBar(25));

        window.closeWindow();
        window.ShowProgress(30, 60);
        QCOMPARE(remaining->text(), "00:00:45");
        QCOMPARE(bar->image(), drawBar(25));
    }

    void cancelCloseBoxAndEscapeAllAskToCancel()
    {
        ProgressWindow window;
        int requests = 0;
        QTimer::singleShot(0, &window, [&] {
            window.findChild<QPushButton *>("cmdCancel")->click();
            window.close(); // the close box
            QTest::keyClick(&window, Qt::Key_Escape);
            QVERIFY(window.isVisible());
            QVERIFY(!window.isClosed());
            window.closeWindow();
        });
        window.showModal([&] { ++requests; });
        QCOMPARE(requests, 3);
        QVERIFY(!window.isVisible());
    }

    // The status bar's strip, fed by a scripted progress source: reports of
    // (milliseconds since the stage started, position, length).
    void stripShowsPercentAndTimeLeft_data()
    {
        QTest::addColumn<bool>("measured");
        QTest::addColumn<QList<QList<double>>>("reports");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("remaining");
        QTest::newRow("half in 10 s")
                << true << QList<QList<double>> {{10000, 30, 60}} << 50 << "00:00:10";
        QTest::newRow("rate so far")
                << true << QList<QList<double>> {{5000, 15, 60}, {30000, 30, 60}} << 50
                << "00:00:30";
        QTest::newRow("nothing done yet")
                << true << QList<QList<double>> {{2000, 0, 60}} << 0 << "";
        QTest::newRow("beyond the length")
                << true << QList<QList<double>> {{9000, 70, 60}} << 100 << "00:00:00";
        QTest::newRow("length unknown") << true << QList<QList<double>> {{9000, 7, 0}} << 0 << "";
        QTest::newRow("unmeasured stage")
                << false << QList<QList<double>> {{9000, 30, 60}} << 0 << "";
    }
    void stripShowsPercentAndTimeLeft()
    {
        QFETCH(bool, measured);
        QFETCH(QList<QList<double>>, reports);
        QFETCH(int, percent);
        QFETCH(QString, remaining);
        qint64 now = 1000;
        ProgressStrip strip(nullptr, [&] { return now; });
        strip.show();
        strip.showStage("Encoding clip.flv", measured);
        for (const QList<double> &report : reports) {
            now = 1000 + qint64(report[0]);
            strip.showProgress(report[1], report[2]);
        }
        QCOMPARE(strip.text(), QString("Encoding clip.flv"));
        const auto *bar = strip.findChild<QProgressBar *>("prgStage");
        QCOMPARE(bar->maximum(), measured ? 100 : 0);
        QCOMPARE(bar->value(), percent);
        QCOMPARE(strip.findChild<QLabel *>("lblRemaining")->text(), remaining);
        auto *cancel = strip.findChild<QPushButton *>("cmdCancelStage");
        QVERIFY(cancel->isVisible());
        QSignalSpy cancelled(&strip, &ProgressStrip::cancelRequested);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(cancelled.count(), 1);

        strip.showEnd("Cancelled");
        QCOMPARE(strip.text(), QString("Cancelled"));
        QVERIFY(!cancel->isVisible());
        QVERIFY(!bar->isVisible());
    }

    void hideEndsTheModalDisplay()
    {
        ProgressWindow window;
        QTimer::singleShot(0, &window, [&] { window.hideWindow(); });
        window.showModal([] {});
        QVERIFY(!window.isVisible());
        QVERIFY(!window.isClosed());
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "test_progress_window.moc"
