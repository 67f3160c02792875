// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertMain.h"

#include "pipeline/Presets.h"

#include "ConvertRun.h"
#include "ConvertWatermark.h"

#include "media/VideoEditComponent.h"
#include "platform/FileSystem.h"
#include "platform/StopSignals.h"
#include "watermark/WatermarkSettings.h"

#include <QCoreApplication>
#include <QDir>

#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace cli {

namespace {

int terminalColumns()
{
    winsize size {};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

// The watermark of the request's settings file in its options; why not.
std::optional<QString> loadWatermark(ConvertRequest &request, const QString &applicationFolder)
{
    const platform::SmallFile file = platform::readSmallFile(request.watermarkFile,
                                                             watermark::MaxSettingsFileBytes);
    if (!file.problem.isEmpty())
        return file.problem;
    WatermarkLists lists;
    if (const auto problem = readWatermarkLists(applicationFolder, lists))
        return problem;
    return applyWatermarkSettings(file.bytes, lists, request.options);
}

} // namespace

bool wantsConvert(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (std::strcmp(argv[i], "--convert") == 0)
            return true;
    }
    return false;
}

int convertMain(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    auto read = readConvertArguments(QCoreApplication::arguments(),
                                     QDir::currentPath(),
                                     pipeline::userPresetFolder());
    if (const auto *answer = std::get_if<ConvertAnswer>(&read)) {
        std::fputs(answer->text.toLocal8Bit().constData(), answer->exitCode ? stderr : stdout);
        return answer->exitCode;
    }
    ConvertRequest &request = std::get<ConvertRequest>(read);
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    ConvertReport report(
            {stdout, stderr, terminal, terminal ? terminalColumns() : 80, request.quiet});
    const QString applicationFolder = platform::ApplicationFolder();
    if (!request.watermarkFile.isEmpty()) {
        if (const auto problem = loadWatermark(request, applicationFolder)) {
            report.mistake("trovexa: --watermark: " + request.watermarkFile + ": " + *problem
                           + "\n");
            return 2;
        }
    }

    const pipeline::JobEnvironment environment {applicationFolder,
                                                platform::ShortPath(applicationFolder),
                                                platform::GetWindowsFolder(),
                                                platform::PathSeparator};
    ReportLog log;
    QString problem;
    if (!log.open(request.reportFile, problem)) {
        report.mistake("trovexa: --report: " + request.reportFile + ": " + problem + "\n");
        return 2;
    }
    media::VideoEditComponent videoEdit(media::findSystemFfmpeg(applicationFolder));
    ConvertRun run(std::move(request),
                   environment,
                   videoEdit,
                   platform::userCacheFolder(),
                   report,
                   log);
    platform::StopSignals stopSignals;
    QObject::connect(&stopSignals, &platform::StopSignals::stopRequested, &run, &ConvertRun::stop);
    QObject::connect(&run, &ConvertRun::finished, &app, &QCoreApplication::exit);
    run.start();
    return QCoreApplication::exec();
}

} // namespace cli
