// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainWindowUi.h"
#include "PlatformServices.h"

#include "pipeline/Command.h"
#include "pipeline/EncodeRequest.h"
#include "pipeline/Job.h"

#include <QObject>

#include <memory>

// What the encode job reads and leaves behind in the main window.
struct EncodeJobState
{
    pipeline::CommandArguments encoderArguments;
    bool normalizeSource = false;
};

// The conversion of the one source on the Converter tab, as Start Encoding
// runs it: checks the request, asks before an output is replaced, then runs
// a job that the user follows box by box (the normalization's progress
// window, each stage's message).
class EncodeJob : public QObject
{
    Q_OBJECT
public:
    enum class End { Ready, Failed, Cancelled };

    EncodeJob(MainWindowUi &ui,
              PlatformServices &services,
              const pipeline::JobEnvironment &environment,
              EncodeJobState &state,
              pipeline::ProgressViewFactory progressView,
              QObject *parent = nullptr);
    ~EncodeJob() override;

    // Starts a job unless the request is refused or the overwrite not
    // confirmed; once one has started, finished follows once.
    void start();
    bool isRunning() const { return m_running; }
    // Stops the running stage; finished(Cancelled) follows.
    void cancel();
    // The output file name of the latest job.
    QString outputName() const { return m_request.outputName; }

Q_SIGNALS:
    // From the start to the end of the job.
    void runningChanged(bool running);
    // A stage has started; measured tells whether progress will come.
    void stageStarted(const QString &name, bool measured);
    void progressed(double position, double length);
    void finished(EncodeJob::End end);

private:
    void refuse(const pipeline::RequestProblem &problem);
    bool confirmOverwrite(const QString &outputPath);
    void setRunning(bool running);
    void jobStageStarted(pipeline::PipelineStage stage, const QString &command, bool measured);
    void jobFinished(pipeline::JobState state);

    MainWindowUi &m_ui;
    PlatformServices &m_services;
    const pipeline::JobEnvironment &m_environment;
    EncodeJobState &m_state;
    pipeline::ProgressViewFactory m_progressView;
    std::unique_ptr<pipeline::Job> m_job;
    bool m_running = false;
    quint64 m_jobs = 0;
    pipeline::EncodeRequest m_request;
};
