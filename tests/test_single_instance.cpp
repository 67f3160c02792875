#include "platform/InstanceLock.h"

#include "support/TestPaths.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The real program holds its lock while it runs, and another copy sees it.
class SingleInstanceTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void runningProgramIsSeen()
    {
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString lockPath = runtime.path() + "/trovexa-flv-converter.lock";

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setStandardInputFile(QProcess::nullDevice());
        program.start(applicationFolderUnderTest() + "/trovexa", {});
        QVERIFY(program.waitForStarted());

        QDeadlineTimer deadline(20000);
        while (!QFile::exists(lockPath) && !deadline.hasExpired())
            QTest::qWait(50);
        QVERIFY2(QFile::exists(lockPath), "the program never took its lock");

        {
            platform::InstanceLock second(lockPath);
            QVERIFY(second.anotherCopyRunning());
        }
        QCOMPARE(program.state(), QProcess::Running);

        program.kill();
        QVERIFY(program.waitForFinished());
        // The lock of a copy that died is taken over.
        platform::InstanceLock next(lockPath);
        QVERIFY(!next.anotherCopyRunning());
        platform::InstanceLock third(lockPath);
        QVERIFY(third.anotherCopyRunning());
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "test_single_instance.moc"
