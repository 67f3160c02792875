#include "platform/QtProcessLauncher.h"

#include "support/TestPaths.h"

#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Counts the paints it receives.
class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

} // namespace

// While a child runs, the window keeps painting and its timers keep firing,
// but clicks and keys do not reach it, not even after the child has ended.
class InputBlockingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowPaintsButTakesNoInputWhileChildRuns()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *button = new QPushButton("Start &Encoding");
        auto *canvas = new PaintCounter;
        canvas->setMinimumSize(50, 50);
        layout->addWidget(button);
        layout->addWidget(canvas);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        int clicks = 0;
        connect(button, &QPushButton::clicked, this, [&clicks] { ++clicks; });

        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            ++ticks;
            canvas->update();
            if (ticks == 3) {
                QTest::mouseClick(button, Qt::LeftButton);
                QTest::keyClick(button, Qt::Key_Space);
                QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
            }
        });
        ticker.start(50);
        const int paintsBefore = canvas->paints;

        platform::QtProcessLauncher launcher;
        const auto outcome = launcher.runToEnd(testChildProgram(), {"sleep", "700"});
        ticker.stop();

        QCOMPARE(outcome.kind, platform::ChildOutcome::Kind::Exited);
        QVERIFY2(ticks >= 5, qPrintable(QString("only %1 timer ticks").arg(ticks)));
        QVERIFY(canvas->paints > paintsBefore + 2);
        QCoreApplication::processEvents();
        QCOMPARE(clicks, 0);

        // The block ends with the child.
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks, 1);
    }

    void closeRequestIsRefusedWhileChildRuns()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTimer::singleShot(100, &window, [&window] { window.close(); });
        platform::QtProcessLauncher launcher;
        launcher.runToEnd(testChildProgram(), {"sleep", "400"});
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(InputBlockingTest)
#include "test_input_blocking.moc"
