#pragma once

#include "MainWindowUi.h"
#include "PlatformServices.h"

#include "pipeline/EncodeRequest.h"
#include "pipeline/PipelineStage.h"

#include <functional>

// What the encode job reads and leaves behind in the main window.
struct EncodeJobState
{
    QString encoderArguments;
    bool normalizeSource = false;
    bool normalizedReady = false;
};

// The conversion behind Start Encoding: checks the request, builds the
// encoder arguments, normalizes the source where its type needs it, then
// runs the encode, metadata and image stages through the runner.
class EncodeJob
{
public:
    using StageRun = std::function<void(pipeline::PipelineStage)>;
    using Normalize = std::function<void(const QString &source, const QString &intermediate)>;

    EncodeJob(MainWindowUi &ui,
              PlatformServices &services,
              const MainWindowSettings &settings,
              EncodeJobState &state,
              StageRun runStage,
              Normalize normalize,
              std::function<bool()> encodeSucceeded);

    void run();

private:
    bool refuse(const pipeline::RequestProblem &problem);
    bool confirmOverwrite(const QString &outputPath);
    void BuildEncoderArguments();
    void runStage(pipeline::PipelineStage stage, const QString &commandLine);

    MainWindowUi &m_ui;
    PlatformServices &m_services;
    const MainWindowSettings &m_settings;
    EncodeJobState &m_state;
    StageRun m_runStage;
    Normalize m_normalize;
    std::function<bool()> m_encodeSucceeded;
};
