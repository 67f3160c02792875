#pragma once

#include "MainWindowUi.h"
#include "PlatformServices.h"

#include "pipeline/Command.h"
#include "pipeline/EncodeRequest.h"
#include "pipeline/Normalization.h"
#include "pipeline/PipelineStage.h"
#include "pipeline/StageRunner.h"

#include <QObject>

#include <functional>

// What the encode job reads and leaves behind in the main window.
struct EncodeJobState
{
    pipeline::CommandArguments encoderArguments;
    bool normalizeSource = false;
};

// The conversion behind Start Encoding: checks the request, builds the
// encoder arguments, normalizes the source where its type needs it, then
// runs the encode, metadata and image stages one after the other through
// the runner, each started when the one before has ended.
class EncodeJob : public QObject
{
    Q_OBJECT
public:
    // Normalizes source into intermediate; returns how that ended.
    using Normalize = std::function<pipeline::NormalizationEnd(const QString &source,
                                                               const QString &intermediate)>;
    enum class End { Ready, Failed, Cancelled };

    EncodeJob(MainWindowUi &ui,
              PlatformServices &services,
              const MainWindowSettings &settings,
              EncodeJobState &state,
              pipeline::StageRunner &runner,
              Normalize normalize,
              QObject *parent = nullptr);

    // Starts a job. False when none runs: the request was refused, the
    // overwrite not confirmed or the source not normalized. After true,
    // finished follows once; after a normalization that failed, finished
    // (Failed) comes before start returns false.
    bool start();
    bool isRunning() const { return m_running; }
    // Stops the running stage; finished(Cancelled) follows.
    void cancel() { m_runner.cancel(); }
    // The output file name of the latest job.
    QString outputName() const { return m_request.outputName; }

Q_SIGNALS:
    // From the normalization or first stage to the end of the job.
    void runningChanged(bool running);
    // A stage has started; measured tells whether progress will come.
    void stageStarted(const QString &name, bool measured);
    void finished(EncodeJob::End end);

private:
    void refuse(const pipeline::RequestProblem &problem);
    bool confirmOverwrite(const QString &outputPath);
    void BuildEncoderArguments();
    void setRunning(bool running);
    void runStage(pipeline::PipelineStage stage,
                  const pipeline::StageCommand &command,
                  const QString &name,
                  double length = 0);
    void stageEnded(pipeline::StageEnd end);
    void runMetadata();
    void runImages();
    void finish(End end);

    MainWindowUi &m_ui;
    PlatformServices &m_services;
    const MainWindowSettings &m_settings;
    EncodeJobState &m_state;
    pipeline::StageRunner &m_runner;
    Normalize m_normalize;

    bool m_running = false;
    pipeline::EncodeRequest m_request;
    QString m_input; // the encoder's input: the source or the intermediate file
    pipeline::PipelineStage m_stage = pipeline::PipelineStage::Encode;
};
