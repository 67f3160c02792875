// SPDX-License-Identifier: GPL-3.0-or-later
// `trovexa --convert` run as a script runs it, with no display: rows of data/convert_runs.txt.
#include "support/DataRows.h"
#include "support/TestMedia.h"

#include "watermark/WatermarkSettings.h"

#include <QtTest>

#include <csignal>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Run = testmedia::ProcessResult;

// The watermark settings files the rows name.
QByteArray settingsFile(const QString &kind)
{
    if (kind == "garbage.wsx")
        return "not settings";
    watermark::WatermarkSettings
            settings {kind == "blank.wsx" ? "" : "Trovexa", 6, 0, 4, "2", "2", "255"};
    for (const auto &[far, index, size] : {std::tuple {"farcolour.wsx", &settings.color, 22},
                                           {"farfont.wsx", &settings.font, 15}, // each list's size
                                           {"far.wsx", &settings.fontSize, 20}})
        *index = kind == far ? size : *index;
    return std::get<QByteArray>(watermark::settingsToBytes(settings));
}

// "a.flv=flv1 400x300 mp3 22050 1": the streams ffprobe finds ("-" for no sound).
QString streams(const QString &path)
{
    const QJsonObject probed = testmedia::probe(path);
    const QJsonObject video = testmedia::firstStream(probed, "video");
    const QJsonObject audio = testmedia::firstStream(probed, "audio");
    const QString sound = testmedia::fields(audio, {"codec_name", "sample_rate", "channels"}, u' ');
    return video["codec_name"].toString() + ' '
            + testmedia::fields(video, {"width", "height"}, u'x') + ' '
            + (audio.isEmpty() ? "-" : sound);
}

// "web.preset" among the files made; any other preset file has an unknown key.
const QByteArray WebPreset
        = "size=320x240\ncodec=h264\nchannels=stereo\nimages=yes\nimage-count=2\n";

} // namespace

class ConvertTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runs_data() { addDataRows("convert_runs.txt", "runs"); }
    // The exit status, the files written (and nothing else), what the
    // streams hold, no tool and no intermediate left behind.
    void runs()
    {
        QFETCH(QStringList, row);
        const QString sources = row[1], existing = row[3], stop = row[4], files = row[6];
        QTemporaryDir media;
        const QString out = media.filePath("out"), cache = media.filePath("cache");
        QVERIFY(QDir().mkpath(out) && QDir().mkpath(cache));
        for (const QString &made : sources.split('|', Qt::SkipEmptyParts)) {
            const QString path = media.filePath(made.section(':', 0, 0));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            if (made.startsWith("broken") || made.endsWith(".txt"))
                QVERIFY(testmedia::writeFile(path, QByteArray(4096, 'x')));
            else if (made.endsWith(".wsx"))
                QVERIFY(testmedia::writeFile(path, settingsFile(made)));
            else if (made.endsWith(".preset"))
                QVERIFY(QDir().mkpath(media.filePath("config/trovexa/presets"))
                        && testmedia::writeFile(media.filePath("config/trovexa/presets/" + made),
                                                made == "web.preset" ? WebPreset : "fps=25\n"));
            else
                QVERIFY(testmedia::makeVideo(path,
                                             {made.contains(':') ? made.section(':', 1).toDouble()
                                                                 : 1.0}));
        }
        if (!existing.isEmpty())
            QVERIFY(testmedia::writeFile(out + "/" + existing, "earlier"));

        QStringList arguments = QString(row[2]).replace("<out>", out).split(' ', Qt::SkipEmptyParts);
        for (QString &argument : arguments)
            argument.replace("<sp>", " ");
        const Run run = convert(arguments, media.path(), cache, stop);
        const QString errors = QString::fromLocal8Bit(run.errors).replace(media.path(), "<dir>");
        const QString output = QString::fromLocal8Bit(run.output)
                                       .replace(media.path(), "<dir>")
                                       .replace(u'\x1b', "<esc>");
        QVERIFY2(run.exitCode == row[5].toInt(),
                 qPrintable(QString("exit %1\n%2").arg(run.exitCode).arg(errors)));
        QCOMPARE(testmedia::folderEntries(out).join(' '), files);
        for (const QString &expected : row[7].split('|', Qt::SkipEmptyParts))
            QVERIFY2(expected == "=" ? errors.isEmpty() : errors.contains(expected),
                     qPrintable(errors));
        for (const QString &expected : row[8].split('|', Qt::SkipEmptyParts)) {
            if (expected == "=")
                QVERIFY2(output.isEmpty(), qPrintable(output));
            else if (expected.startsWith('!'))
                QVERIFY2(!output.contains(expected.mid(1)), qPrintable(output));
            else if (expected.startsWith('~'))
                QVERIFY2(QRegularExpression(expected.mid(1)).match(output).hasMatch(),
                         qPrintable(output));
            else
                QVERIFY2(output.contains(expected), qPrintable(output));
        }
        for (const QString &check : row[9].split('|', Qt::SkipEmptyParts)) {
            const QString flv = out + "/" + check.section('=', 0, 0);
            QCOMPARE(streams(flv), check.section('=', 1));
            QCOMPARE(testmedia::run("flvmeta", {"--check", "--quiet", flv}).exitCode, 0);
        }
        if (!existing.isEmpty() && !row[9].contains(existing + "="))
            QCOMPARE(testmedia::readFile(out + "/" + existing), QByteArray("earlier"));
        QCOMPARE(testmedia::processesNaming(media.path()), QStringList());
        QCOMPARE(testmedia::folderEntries(cache + "/trovexa"), QStringList());
    }

    // The watermark of a settings file is drawn: the first picture differs
    // from the same conversion without it.
    void watermark()
    {
        QTemporaryDir media;
        const QString source = media.filePath("a.mpg"), settings = media.filePath("mark.wsx");
        QVERIFY(testmedia::makeVideo(source)
                && testmedia::writeFile(settings, settingsFile("mark.wsx")));
        QByteArray frames[2];
        for (const bool marked : {false, true}) {
            const QString out = media.filePath(marked ? "marked" : "plain");
            QVERIFY(QDir().mkpath(out));
            QStringList arguments {"--output-folder", out, source};
            if (marked)
                arguments << "--watermark" << settings;
            QCOMPARE(convert(arguments, media.path(), media.filePath("cache")).exitCode, 0);
            frames[marked] = testmedia::rgbFrame(out + "/a.flv");
            QVERIFY(!frames[marked].isEmpty());
        }
        QVERIFY(frames[0] != frames[1]);
    }

private:
    // Runs `trovexa --convert arguments` in folder with no display. stop "int" sends Ctrl-C once
    // the encode has started; "terminal" gives it a terminal for its standard output.
    static Run convert(const QStringList &arguments,
                       const QString &folder,
                       const QString &cache,
                       const QString &stop = {})
    {
        QProcess process;
        testmedia::prepareConvert(process, folder, cache);
        int master = -1, slave = -1;
        if (stop == "terminal") {
            winsize size {24, 20, 0, 0}; // 20 columns
            if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0)
                return {};
            process.setChildProcessModifier([slave] { ::dup2(slave, STDOUT_FILENO); });
        } else if (stop == "full") { // a disk that takes 20 000 bytes a file
            static const rlimit limit {20000, 20000};
            process.setChildProcessModifier(
                    [] { ::setrlimit(RLIMIT_FSIZE, &limit), signal(SIGXFSZ, SIG_IGN); });
        }
        process.start(applicationFolderUnderTest() + "/trovexa",
                      QStringList {"--convert"} + arguments);
        if (slave >= 0)
            ::close(slave);
        Run run;
        if (stop == "int") {
            const auto started = [&] {
                run.output += process.readAllStandardOutput();
                return run.output.contains("encoding started")
                        || run.output.contains("normalizing started")
                        || process.state() == QProcess::NotRunning;
            };
            QTest::qWaitFor(started, 60000);
            ::kill(pid_t(process.processId()), SIGINT);
        }
        if (!process.waitForFinished(120000))
            process.kill();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.output += process.readAllStandardOutput();
        if (master >= 0) {
            char buffer[65536];
            ssize_t count;
            while ((count = ::read(master, buffer, sizeof buffer)) > 0)
                run.output.append(buffer, count);
            ::close(master);
        }
        run.errors = process.readAllStandardError();
        return run;
    }
};

QTEST_GUILESS_MAIN(ConvertTest)
#include "test_convert.moc"
