#include "EncodeJob.h"

#include "ConversionControls.h"
#include "SourceInput.h"

#include "media/VideoEdit.h"
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace pipeline;
using platform::PathSeparator;

EncodeJob::EncodeJob(MainWindowUi &ui,
                     PlatformServices &services,
                     const MainWindowSettings &settings,
                     EncodeJobState &state,
                     StageRunner &runner,
                     Normalize normalize,
                     QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_services(services)
    , m_settings(settings)
    , m_state(state)
    , m_runner(runner)
    , m_normalize(std::move(normalize))
{
    connect(&m_runner, &StageRunner::ended, this, &EncodeJob::stageEnded);
}

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

void EncodeJob::BuildEncoderArguments()
{
    m_state.encoderArguments
            = pipeline::BuildEncoderArguments(readConversionOptions(m_ui.conversionControls()),
                                              platform::ShortPath(m_settings.applicationFolder),
                                              m_settings.windowsFolder,
                                              PathSeparator);
}

void EncodeJob::setRunning(bool running)
{
    m_running = running;
    Q_EMIT runningChanged(running);
}

bool EncodeJob::start()
{
    if (m_running)
        return false;
    const EncodeRequest request {m_ui.lblInput->text(),
                                 m_ui.lblOutDir->text(),
                                 m_ui.txtOutFile->text(),
                                 m_ui.chkWatermark->checkState() == Qt::Checked,
                                 m_ui.txtWatermark->toPlainText(),
                                 SourceInput::kindOf(m_ui.lblInput->text())};
    if (const auto problem = checkRequest(request, platform::sameFile)) {
        refuse(*problem);
        return false;
    }
    if (!confirmOverwrite(request.outputFolder + request.outputName))
        return false;

    m_request = request;
    BuildEncoderArguments();
    setRunning(true);

    const QString &app = m_settings.applicationFolder;
    m_state.normalizeSource = needsNormalization(request.sourcePath,
                                                 m_ui.chkQuickEncode->checkState() == Qt::Checked);
    m_input = request.sourcePath;
    if (m_state.normalizeSource) {
        m_input = intermediateFile(app,
                                   platform::isWritableFolder(app),
                                   platform::userCacheFolder(),
                                   PathSeparator);
        QDir().mkpath(QFileInfo(m_input).path());
        const NormalizationEnd normalized = m_normalize(request.sourcePath, m_input);
        if (normalized != NormalizationEnd::Ready) {
            if (normalized == NormalizationEnd::Failed)
                finish(End::Failed);
            else
                setRunning(false);
            return false;
        }
    }

    const double length = m_services.videoEdit.GetFileDuration(m_input).value_or(0);
    runStage(PipelineStage::Encode,
             encodeCommand(app,
                           m_input,
                           m_state.encoderArguments,
                           request.outputFolder,
                           request.outputName,
                           PathSeparator),
             "Encoding " + request.outputName,
             length);
    return true;
}

void EncodeJob::runStage(PipelineStage stage,
                         const StageCommand &command,
                         const QString &name,
                         double length)
{
    m_stage = stage;
    m_ui.txtApp->setText(command.text());
    Q_EMIT stageStarted(name, length > 0);
    m_runner.start(stage, command, length);
}

void EncodeJob::stageEnded(StageEnd end)
{
    if (!m_running)
        return;
    if (end == StageEnd::Cancelled)
        return finish(End::Cancelled);
    switch (m_stage) {
    case PipelineStage::Encode:
        if (end != StageEnd::Succeeded)
            return finish(End::Failed);
        return runMetadata();
    case PipelineStage::Metadata:
        // The pictures come from the source, whatever the metadata gave.
        if (m_ui.chkImage->checkState() == Qt::Checked)
            return runImages();
        return finish(End::Ready);
    case PipelineStage::Images:
        return finish(End::Ready);
    }
}

void EncodeJob::runMetadata()
{
    runStage(PipelineStage::Metadata,
             metadataCommand(m_settings.applicationFolder,
                             m_request.outputFolder,
                             m_request.outputName,
                             PathSeparator),
             "Writing metadata");
}

void EncodeJob::runImages()
{
    const QString count = imageFrameCount(m_ui.txtNumImages->text());
    if (count != m_ui.txtNumImages->text())
        m_ui.txtNumImages->setText(count);
    runStage(PipelineStage::Images,
             imageCommand(m_settings.applicationFolder,
                          m_input,
                          m_ui.cmbVideoWindow->currentText(),
                          count,
                          m_request.outputFolder,
                          PathSeparator),
             QString("Grabbing %1 pictures").arg(count.toInt()));
}

void EncodeJob::finish(End end)
{
    setRunning(false);
    Q_EMIT finished(end);
}
