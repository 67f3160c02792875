// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "EncodeJob.h"
#include "MainWindowUi.h"
#include "PlatformServices.h"
#include "PresetMenu.h"
#include "ProgressStrip.h"
#include "SourceInput.h"
#include "SourceQueue.h"
#include "WatermarkTab.h"
#include "WindowMemory.h"
#include "pipeline/StartupFailure.h"

#include "pipeline/Job.h"
#include "platform/CommonDialog.h"
#include "preview/PreviewHost.h"

#include <QMainWindow>

// frmMain: the program's one main window. It owns every control and wires
// the handlers to the logic that lives in the libraries.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    enum class Startup { Run, End };

    MainWindow(PlatformServices services, MainWindowSettings settings, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence. End means the program ends now: a second copy,
    // a refused DirectX download or a start-up failure.
    Startup Form_Load();

    const MainWindowUi &ui() const { return m_ui; }
    QString WindowsFolder() const { return m_windowsFolder; }
    QString EncoderArguments() const { return m_encode.encoderArguments.text(); }
    const EncodeJobState &encodeState() const { return m_encode; }
    EncodeJob &encodeJob() { return m_encodeJob; }
    ProgressStrip &progressStrip() { return *m_strip; }
    platform::CommonDialog &CommonDialog1() { return m_commonDialog; }
    preview::PreviewHost &previewHost() { return m_preview; }
    PresetMenu &presetMenu() { return m_presetMenu; }
    WindowMemory &memory() { return m_memory; }

    // Files handed to the program from outside (its command line, a second
    // start): see SourceInput::offer.
    void openSource(const QStringList &paths) { m_source.offer(paths); }
    SourceQueue &sourceQueue() { return m_sourceQueue; }

public Q_SLOTS:
    void cmdInput_Click();
    void cmdOutput_Click();
    void cmdEncode_Click();
    void cmdExit_Click();
    void mnuDirectX_Click();
    void mnuWindows_Click();
    void mnuQuicktime_Click();
    void cmbFontName_Click();
    // The strip's Cancel: asks, then stops the running stage.
    void cancelStage_Click();
    // The strip's Cancel All: asks, then stops the queue.
    void cancelAll_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool Form_QueryUnload();
    void fillFixedLists();
    void fillDataFileLists();
    void GetWindowsFolder();
    bool CheckDirectXRequirement();
    void showSplash();
    void endProgram();
    int msgBox(const QString &prompt, int style, const QString &title);
    // Everything that could start or change a job.
    void setJobControlsEnabled(bool enabled);
    void jobFinished(EncodeJob::End end);
    void queueFinished(const QString &summary);
    bool converting() const;
    // Ends the program once the conversion has stopped, when the exit was
    // confirmed during one.
    void closeIfEnding();

    PlatformServices m_services;
    MainWindowSettings m_settings;
    MainWindowUi m_ui;
    QString m_windowsFolder;
    EncodeJobState m_encode;
    platform::CommonDialog m_commonDialog;
    pipeline::JobEnvironment m_environment;
    EncodeJob m_encodeJob;
    ProgressStrip *m_strip = nullptr;
    SourceQueue m_sourceQueue;
    WatermarkTab m_watermarkTab;
    DigitKeys m_frameCountKeys; // of txtNumImages
    SourceInput m_source;
    preview::PreviewHost m_preview;
    WindowMemory m_memory;
    PresetMenu m_presetMenu;
    bool m_ending = false;
    bool m_closeAfterJob = false; // the exit was confirmed during a conversion
};
