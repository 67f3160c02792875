// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncodeJob.h"

#include "JobCapture.h"
#include "SourceInput.h"

#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace pipeline;

EncodeJob::EncodeJob(MainWindowUi &ui,
                     PlatformServices &services,
                     const JobEnvironment &environment,
                     EncodeJobState &state,
                     ProgressViewFactory progressView,
                     QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_services(services)
    , m_environment(environment)
    , m_state(state)
    , m_progressView(std::move(progressView))
{ }

EncodeJob::~EncodeJob() = default;

void EncodeJob::refuse(const RequestProblem &problem)
{
    m_services.messageBoxes.MsgBox(problem.message, platform::MsgBoxStyle::Critical, "Error");
    QWidget *target = nullptr;
    switch (problem.focus) {
    case RequestControl::cmdInput:
        target = m_ui.cmdInput;
        break;
    case RequestControl::cmdOutput:
        target = m_ui.cmdOutput;
        break;
    case RequestControl::txtOutFile:
        target = m_ui.txtOutFile;
        break;
    case RequestControl::txtWatermark:
        target = m_ui.txtWatermark;
        break;
    }
    target->setFocus();
    m_ui.sstThis->setCurrentIndex(problem.tab);
}

bool EncodeJob::confirmOverwrite(const QString &outputPath)
{
    if (!QFileInfo::exists(outputPath))
        return true;
    return m_services.messageBoxes.MsgBox(OverwriteQuestion,
                                          platform::MsgBoxStyle::YesNoQuestion,
                                          "Confirm")
            == platform::MsgBoxAnswer::Yes;
}

void EncodeJob::setRunning(bool running)
{
    m_running = running;
    Q_EMIT runningChanged(running);
}

void EncodeJob::start()
{
    if (m_running)
        return;
    const EncodeRequest request {m_ui.lblInput->text(),
                                 m_ui.lblOutDir->text(),
                                 m_ui.txtOutFile->text(),
                                 m_ui.chkWatermark->checkState() == Qt::Checked,
                                 m_ui.txtWatermark->toPlainText(),
                                 pipeline::pathKind(m_ui.lblInput->text())};
    if (const auto problem = checkRequest(request, platform::sameFile)) {
        refuse(*problem);
        return;
    }
    if (!confirmOverwrite(request.outputFolder + request.outputName))
        return;
    m_request = request;

    JobSpec jobSpec = captureJobSpec(m_ui, request.sourcePath);
    jobSpec.outputFolder = request.outputFolder;
    jobSpec.outputName = request.outputName;
    // The one file of the Converter tab is normalized into temp.mpg, which
    // stays after the job.
    const QString &app = m_environment.applicationFolder;
    jobSpec.intermediate = intermediateFile(app,
                                            platform::isWritableFolder(app),
                                            platform::userCacheFolder(),
                                            m_environment.separator);
    jobSpec.keepIntermediate = true;
    m_state.normalizeSource = jobSpec.normalize;
    m_state.encoderArguments = BuildEncoderArguments(jobSpec.options,
                                                     m_environment.shortApplicationFolder,
                                                     m_environment.fontsFolder,
                                                     m_environment.separator);

    m_job = std::make_unique<Job>(++m_jobs,
                                  jobSpec,
                                  m_environment,
                                  JobServices {m_services.videoEdit,
                                               &m_services.messageBoxes,
                                               m_progressView});
    connect(m_job.get(), &Job::stageStarted, this, &EncodeJob::jobStageStarted);
    connect(m_job.get(), &Job::progressed, this, &EncodeJob::progressed);
    connect(m_job.get(), &Job::finished, this, &EncodeJob::jobFinished);
    setRunning(true);
    m_job->start();
}

void EncodeJob::cancel()
{
    if (m_job)
        m_job->cancel();
}

void EncodeJob::jobStageStarted(PipelineStage stage, const QString &command, bool measured)
{
    switch (stage) {
    case PipelineStage::Normalize:
        return Q_EMIT stageStarted("Normalizing " + QFileInfo(m_request.sourcePath).fileName(),
                                   measured);
    case PipelineStage::Encode:
        m_ui.txtApp->setText(command);
        return Q_EMIT stageStarted("Encoding " + m_request.outputName, measured);
    case PipelineStage::Metadata:
        m_ui.txtApp->setText(command);
        return Q_EMIT stageStarted("Writing metadata", measured);
    case PipelineStage::Images: {
        const QString count = m_job->jobSpec().frameCount;
        if (count != m_ui.txtNumImages->text())
            m_ui.txtNumImages->setText(count);
        m_ui.txtApp->setText(command);
        return Q_EMIT stageStarted(QString("Grabbing %1 pictures").arg(count.toInt()), measured);
    }
    }
}

void EncodeJob::jobFinished(JobState state)
{
    setRunning(false);
    // Another run (a second window, a command line) writes this output now.
    if (state == JobState::Skipped)
        m_services.messageBoxes.MsgBox("THE OUTPUT FILE IS BEING WRITTEN BY ANOTHER RUN:\r\n"
                                               + m_job->jobSpec().outputPath(),
                                       platform::MsgBoxStyle::Critical,
                                       "Error");
    // A normalization that was stopped (No to going on without sound, or a
    // cancel) ends quietly; everything else as the job ended.
    const End end = state == JobState::Done ? End::Ready
            : state == JobState::Failed     ? End::Failed
                                            : End::Cancelled;
    Q_EMIT finished(end);
}
