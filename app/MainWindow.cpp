// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include "AccessibleNames.h"
#include "ProgressWindow.h"
#include "QueuePage.h"
#include "SourceDrop.h"

#include "platform/ColorCombo.h"
#include "platform/DesktopNotifier.h"
#include "platform/FileSystem.h"
#include "platform/FolderBrowser.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

using platform::MsgBoxAnswer::Yes;
using platform::MsgBoxStyle::YesNoQuestion;

namespace {

MainWindowUi setUpUi(QMainWindow *window)
{
    MainWindowUi ui;
    ui.setupUi(window);
    return ui;
}

} // namespace

MainWindow::MainWindow(PlatformServices services, MainWindowSettings settings, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_settings(std::move(settings))
    , m_ui(setUpUi(this))
    , m_commonDialog(m_services.fileDialogs)
    , m_environment {m_settings.applicationFolder,
                     platform::ShortPath(m_settings.applicationFolder),
                     m_settings.windowsFolder,
                     platform::PathSeparator}
    , m_encodeJob(m_ui, m_services, m_environment, m_encode, progressWindowFactory(this))
    , m_strip(new ProgressStrip(this))
    , m_sourceQueue(m_ui, m_services, m_environment, *m_strip, m_settings.queueFile)
    , m_watermarkTab(m_ui, m_services, m_commonDialog)
    , m_source(m_ui,
               m_services.messageBoxes,
               m_commonDialog,
               {[this] { return m_sourceQueue.queue().count() > 0 || converting(); },
                [this](const QStringList &paths) {
                    m_sourceQueue.add(paths);
                }})
    , m_preview(m_ui.swfControl, m_commonDialog, m_services.shell, m_settings.applicationFolder, this)
    , m_memory(*this, m_ui, m_commonDialog, pipeline::SettingsFile(m_settings.settingsFile))
    , m_presetMenu(m_ui, m_services.messageBoxes, pipeline::PresetFolder(m_settings.presetFolder))
{
    connect(m_ui.mnuHelpContents,
            &QAction::triggered,
            &m_preview,
            &preview::PreviewHost::mnuHelpContents_Click);
    connect(m_ui.mnuHelpAbout,
            &QAction::triggered,
            &m_preview,
            &preview::PreviewHost::mnuHelpAbout_Click);
    connect(m_ui.cmdInput, &QPushButton::clicked, this, &MainWindow::cmdInput_Click);
    connect(m_ui.cmdOutput, &QPushButton::clicked, this, &MainWindow::cmdOutput_Click);
    connect(m_ui.cmdEncode, &QPushButton::clicked, this, &MainWindow::cmdEncode_Click);
    connect(m_ui.cmdExit, &QPushButton::clicked, this, &MainWindow::cmdExit_Click);
    connect(m_ui.mnuDirectX, &QAction::triggered, this, &MainWindow::mnuDirectX_Click);
    connect(m_ui.mnuWindows, &QAction::triggered, this, &MainWindow::mnuWindows_Click);
    connect(m_ui.mnuQuicktime, &QAction::triggered, this, &MainWindow::mnuQuicktime_Click);
    connect(m_ui.cmbFontName, &QComboBox::currentIndexChanged, this, &MainWindow::cmbFontName_Click);
    nameControls(m_ui);
    m_frameCountKeys.watch(m_ui.txtNumImages);
    new SourceDrop(
            m_ui.sstThis->widget(0),
            [this] { return !m_ui.cmdEncode->isEnabled(); },
            [this](const QStringList &paths) { m_source.offer(paths); });

    statusBar()->addWidget(m_strip, 1);
    connect(m_strip, &ProgressStrip::cancelRequested, this, &MainWindow::cancelStage_Click);
    connect(m_strip, &ProgressStrip::cancelAllRequested, this, &MainWindow::cancelAll_Click);
    m_ui.sstThis->addTab(m_sourceQueue.page(), "Queue");
    m_ui.sstThis->setTabVisible(m_ui.sstThis->count() - 1, false);
    connect(&m_sourceQueue, &SourceQueue::runningChanged, this, [this](bool running) {
        setJobControlsEnabled(!running);
        m_strip->setQueueMode(running);
    });
    connect(&m_sourceQueue, &SourceQueue::finished, this, &MainWindow::queueFinished);
    connect(&m_encodeJob, &EncodeJob::runningChanged, this, [this](bool running) {
        setJobControlsEnabled(!running);
    });
    connect(&m_encodeJob, &EncodeJob::stageStarted, m_strip, &ProgressStrip::showStage);
    connect(&m_encodeJob, &EncodeJob::progressed, m_strip, &ProgressStrip::showProgress);
    connect(&m_encodeJob, &EncodeJob::finished, this, &MainWindow::jobFinished);
}

MainWindow::~MainWindow() = default;

int MainWindow::msgBox(const QString &prompt, int style, const QString &title)
{
    return m_services.messageBoxes.MsgBox(prompt, style, title);
}

void MainWindow::endProgram()
{
    m_ending = true;
    unsetCursor();
    close();
}

void MainWindow::setJobControlsEnabled(bool enabled)
{
    const QList<QWidget *> controls {m_ui.Frame1,
                                     m_ui.Frame2,
                                     m_ui.Frame3,
                                     m_ui.Frame4,
                                     m_ui.chkWatermark,
                                     m_ui.cmdSaveWMOptions,
                                     m_ui.cmdLoadWMOptions,
                                     m_ui.chkQuickEncode,
                                     m_ui.cmdEncode};
    for (QWidget *control : controls)
        control->setEnabled(enabled);
    m_ui.mnuPresets->menuAction()->setEnabled(enabled);
}

bool MainWindow::converting() const
{
    return m_encodeJob.isRunning() || m_sourceQueue.isRunning();
}

void MainWindow::cancelStage_Click()
{
    if (!converting())
        return;
    if (msgBox(pipeline::NormalizationMessages::AbortQuestion, YesNoQuestion, "Confirm") != Yes)
        return;
    if (m_sourceQueue.isRunning())
        m_sourceQueue.cancelCurrent();
    else
        m_encodeJob.cancel();
}

void MainWindow::cancelAll_Click()
{
    if (m_sourceQueue.isRunning()
        && msgBox("CANCEL EVERY FILE OF THE QUEUE?", YesNoQuestion, "Confirm") == Yes)
        m_sourceQueue.cancelAll();
}

void MainWindow::closeIfEnding()
{
    if (m_closeAfterJob && !converting())
        close();
}

void MainWindow::queueFinished(const QString &summary)
{
    if (m_closeAfterJob)
        return closeIfEnding();
    if (!isActiveWindow())
        m_services.notifier.notify(QApplication::applicationName(), summary);
    msgBox(summary, platform::MsgBoxStyle::Information, "Message");
}

void MainWindow::jobFinished(EncodeJob::End end)
{
    const QString name = m_encodeJob.outputName();
    switch (end) {
    case EncodeJob::End::Ready:
        m_strip->showEnd(name + " is ready");
        break;
    case EncodeJob::End::Failed:
        m_strip->showEnd("Encoding " + name + " failed");
        break;
    case EncodeJob::End::Cancelled:
        m_strip->showEnd("Cancelled");
        break;
    }
    if (m_closeAfterJob)
        return closeIfEnding();
    if (end != EncodeJob::End::Cancelled && !isActiveWindow())
        m_services.notifier.notify(QApplication::applicationName(), m_strip->text());
}

void MainWindow::cmdInput_Click()
{
    CommonDialog1().DialogTitle = "Open Video File to Encode";
    CommonDialog1().MaxFileSize = 32000;
    CommonDialog1().Flags = platform::DialogFlags::FileMustExist
            | platform::DialogFlags::HideReadOnly;
    CommonDialog1().Filter
            = "Supported Video "
              "Files(*.mpg;*.mpeg;*.avi;*.wmv;*.asf;*.flv;*.mov;*.mp4;*.3gp;*.vob;*.dat)|*.mpg;*."
              "mpeg;"
              "*.avi;*.wmv;*.asf;*.flv;*.mov;*.mp4;*.3gp;*.vob;*.dat|MPEG (*.mpg,*.mpeg)| "
              "*.mpg;*.mpeg|AVI (*.avi)|*.avi|Windows Media Formats (*.wmv,*.asf) | "
              "*.wmv;*.asf|Quicktime Formats (*.mov,*.mp4) | *.mov;*.mp4|Video CD Format (*.dat)| "
              "*.dat|DVD Format (*.vob)| *.vob|3GP (*.3gp)| *.3gp";
    CommonDialog1().Flags |= platform::DialogFlags::AllowMultiSelect;
    if (!CommonDialog1().ShowOpen())
        return;
    m_memory.rememberSourceFolder(QFileInfo(CommonDialog1().FileName).absolutePath());
    m_memory.saveSoon();
    if (CommonDialog1().FileNames.size() > 1 || m_sourceQueue.queue().count() > 0)
        m_source.offer(CommonDialog1().FileNames);
    else
        m_source.choose(CommonDialog1().FileName);
}

void MainWindow::cmdOutput_Click()
{
    const QString chosen = m_services.folderBrowser.BrowseForFolder(this,
                                                                    "Select Your Output Folder:");
    m_ui.lblOutDir->setText(pipeline::outputFolderText(chosen, platform::PathSeparator));
    m_memory.saveSoon();
}

void MainWindow::cmdEncode_Click()
{
    if (m_sourceQueue.hasWaiting())
        m_sourceQueue.start();
    else
        m_encodeJob.start();
}

void MainWindow::cmdExit_Click()
{
    close();
}

bool MainWindow::Form_QueryUnload()
{
    return msgBox("EXIT TROVEXA FLV CONVERTER?", YesNoQuestion, "Confirm") == Yes;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closeAfterJob && converting()) {
        event->ignore(); // the program ends once the tool has stopped
        return;
    }
    if (!m_ending && !Form_QueryUnload()) {
        event->ignore();
        return;
    }
    if (converting()) {
        m_ending = true;
        m_closeAfterJob = true;
        m_sourceQueue.cancelAll();
        m_encodeJob.cancel();
        event->ignore();
        return;
    }
    m_ending = true;
    m_memory.saveNow();
    event->accept();
    QApplication::closeAllWindows();
}

void MainWindow::cmbFontName_Click()
{
    m_ui.cmbFontFileName->setCurrentIndex(m_ui.cmbFontName->currentIndex());
}
