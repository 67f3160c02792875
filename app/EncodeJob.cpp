#include "EncodeJob.h"

#include "ConversionControls.h"

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
                     StageRun runStage,
                     Normalize normalize,
                     std::function<bool()> encodeSucceeded)
    : m_ui(ui)
    , m_services(services)
    , m_settings(settings)
    , m_state(state)
    , m_runStage(std::move(runStage))
    , m_normalize(std::move(normalize))
    , m_encodeSucceeded(std::move(encodeSucceeded))
{ }

bool EncodeJob::refuse(const RequestProblem &problem)
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
    return false;
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

void EncodeJob::runStage(PipelineStage stage, const QString &commandLine)
{
    m_ui.txtApp->setText(commandLine);
    m_runStage(stage);
}

void EncodeJob::run()
{
    const EncodeRequest request {m_ui.lblInput->text(),
                                 m_ui.lblOutDir->text(),
                                 m_ui.txtOutFile->text(),
                                 m_ui.chkWatermark->checkState() == Qt::Checked,
                                 m_ui.txtWatermark->toPlainText()};
    if (const auto problem = checkRequest(request, platform::sameFile)) {
        refuse(*problem);
        return;
    }
    if (!confirmOverwrite(request.outputFolder + request.outputName))
        return;

    BuildEncoderArguments();
    m_ui.cmdEncode->setEnabled(false);

    const QString &app = m_settings.applicationFolder;
    m_state.normalizeSource = needsNormalization(request.sourcePath,
                                                 m_ui.chkQuickEncode->checkState() == Qt::Checked);
    QString input = request.sourcePath;
    if (m_state.normalizeSource) {
        input = intermediateFile(app,
                                 platform::isWritableFolder(app),
                                 platform::userCacheFolder(),
                                 PathSeparator);
        QDir().mkpath(QFileInfo(input).path());
        m_normalize(request.sourcePath, input);
        if (!m_state.normalizedReady) {
            m_ui.cmdEncode->setEnabled(true);
            return;
        }
    }

    runStage(PipelineStage::Encode,
             encodeCommandLine(app,
                               input,
                               m_state.encoderArguments,
                               request.outputFolder,
                               request.outputName,
                               PathSeparator));
    if (!m_encodeSucceeded()) {
        m_ui.cmdEncode->setEnabled(true);
        return;
    }

    runStage(PipelineStage::Metadata,
             metadataCommandLine(app, request.outputFolder, request.outputName, PathSeparator));

    if (m_ui.chkImage->checkState() == Qt::Checked) {
        const QString count = imageFrameCount(m_ui.txtNumImages->text());
        if (count != m_ui.txtNumImages->text())
            m_ui.txtNumImages->setText(count);
        runStage(PipelineStage::Images,
                 imageCommandLine(app,
                                  input,
                                  m_ui.cmbVideoWindow->currentText(),
                                  m_ui.txtNumImages->text(),
                                  request.outputFolder,
                                  PathSeparator));
    }
    m_ui.cmdEncode->setEnabled(true);
}
