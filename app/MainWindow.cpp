#include "MainWindow.h"

#include "AccessibleNames.h"
#include "DataFiles.h"
#include "OptionLists.h"
#include "ProgressWindow.h"
#include "QueuePage.h"
#include "SourceDrop.h"
#include "SplashWindow.h"

#include "checks/ComponentPlatform.h"
#include "platform/ColorCombo.h"
#include "platform/DesktopNotifier.h"
#include "platform/FileSystem.h"
#include "platform/FolderBrowser.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

using platform::MsgBoxAnswer::Yes;
using platform::MsgBoxStyle::Critical;
using platform::MsgBoxStyle::YesNoQuestion;

namespace {

const char *const DirectXDownloadPage = "https://www.trovexa.com/windows/directx/default.mspx";

void fill(QComboBox *list, const FixedOptionList &fixed)
{
    list->addItems(fixed.entries);
    list->setCurrentIndex(list->findText(fixed.entries.value(fixed.defaultPosition)));
}

// Selects a position the data file must have provided.
void select(QComboBox *list, int position)
{
    if (position >= list->count())
        throw StartupFailure::subscriptOutOfRange();
    list->setCurrentIndex(position);
}

QStringList readLines(const QString &path)
{
    DataFileText text = readDataFile(path);
    if (text.failure)
        throw *text.failure;
    return text.lines;
}

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
    , m_sourceQueue(m_ui, m_services, m_environment, *m_strip)
    , m_watermarkTab(m_ui, m_services, m_commonDialog)
    , m_source(m_ui,
               m_services.messageBoxes,
               m_commonDialog,
               {[this] { return m_sourceQueue.queue().count() > 0 || converting(); },
                [this](const QStringList &paths) {
                    m_sourceQueue.add(paths);
                }})
    , m_preview(m_ui.swfControl, m_commonDialog, m_services.shell, m_settings.applicationFolder, this)
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

MainWindow::Startup MainWindow::Form_Load()
{
    try {
        if (m_services.instanceQuery.anotherCopyRunning()) {
            msgBox("THIS SOFTWARE IS ALREADY OPEN!", Critical, "Error");
            endProgram();
            return Startup::End;
        }
        show();
        m_encode.encoderArguments = {};
        fillFixedLists();
        fillDataFileLists();
        GetWindowsFolder();
        setCursor(Qt::WaitCursor);
        showSplash();
        const bool keepRunning = CheckDirectXRequirement();
        unsetCursor();
        if (!keepRunning) {
            endProgram();
            return Startup::End;
        }
        return Startup::Run;
    } catch (const StartupFailure &failure) {
        msgBox(failure.message(), Critical, "Error");
        endProgram();
        return Startup::End;
    }
}

void MainWindow::fillFixedLists()
{
    fill(m_ui.cmbVideoWindow, OptionLists::videoWindow());
    fill(m_ui.cmbVideoBitrate, OptionLists::videoBitrate());
    fill(m_ui.cmbAudioSampling, OptionLists::audioSampling());
    fill(m_ui.cmbAudioBitrate, OptionLists::audioBitrate());
    fill(m_ui.cmbAudioChannels, OptionLists::audioChannels());
    fill(m_ui.cmbCodec, OptionLists::codecs());
}

void MainWindow::fillDataFileLists()
{
    const QString folder = m_settings.applicationFolder + platform::PathSeparator;

    const DataFileRead<FontEntry> fonts = parseFonts(readLines(folder + "fonts.txt"));
    for (const FontEntry &font : fonts.entries) {
        m_ui.cmbFontName->addItem(font.displayName);
        m_ui.cmbFontFileName->addItem(font.fileName);
    }
    if (fonts.failure)
        throw *fonts.failure;

    const DataFileRead<QString> sizes = parseFontSizes(readLines(folder + "fontsizes.txt"));
    m_ui.cmbFontSize->addItems(sizes.entries);

    select(m_ui.cmbFontName, OptionLists::DefaultFont);
    select(m_ui.cmbFontFileName, OptionLists::DefaultFont);
    select(m_ui.cmbFontSize, OptionLists::DefaultFontSize);

    const DataFileRead<ColorEntry> colors = parseColors(readLines(folder + "colors.txt"));
    for (const ColorEntry &color : colors.entries)
        m_ui.ccbWatermarkColor->addColor(color.value, color.name);
    if (colors.failure)
        throw *colors.failure;
    // With fewer colours than the default position the picker selects nothing.
    m_ui.ccbWatermarkColor->setSelectedPosition(OptionLists::DefaultColor);
}

void MainWindow::GetWindowsFolder()
{
    m_windowsFolder = m_settings.windowsFolder;
}

void MainWindow::showSplash()
{
    SplashWindow splash(m_settings.splashMilliseconds, this);
    splash.setCursor(Qt::WaitCursor);
    splash.exec();
}

bool MainWindow::CheckDirectXRequirement()
{
    const std::optional<bool> meets = checks::meetsDirectXRequirement(
            checks::GetDirectXVersion(m_services.components));
    if (!meets)
        throw StartupFailure::typeMismatch();
    if (*meets)
        return true;
    const int answer = msgBox("THIS SOFTWARE REQUIRES DirectX 8 OR GREATER TO RUN.\r\n"
                              "DO YOU WANT TO DOWNLOAD LATEST DirectX?",
                              YesNoQuestion,
                              "Message");
    if (answer != Yes)
        return false;
    m_services.shell.open(DirectXDownloadPage);
    return true;
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
    event->accept();
    QApplication::closeAllWindows();
}

void MainWindow::cmbFontName_Click()
{
    m_ui.cmbFontFileName->setCurrentIndex(m_ui.cmbFontName->currentIndex());
}

void MainWindow::mnuDirectX_Click()
{
    const checks::CheckReport report = checks::directXReport(m_services.components);
    msgBox(report.prompt, report.style, report.title);
}

void MainWindow::mnuWindows_Click()
{
    m_ui.lblVerWMV->setText(m_services.components.GetSystemFolder());
    QString path;
    const checks::CheckReport report = checks::mediaRuntimeReport(m_services.components,
                                                                  platform::PathSeparator,
                                                                  &path);
    m_ui.lblVerWMV->setText(path);
    msgBox(report.prompt, report.style, report.title);
}

void MainWindow::mnuQuicktime_Click()
{
    const checks::CheckReport report = checks::quickTimeReport(m_services.components);
    msgBox(report.prompt, report.style, report.title);
}
