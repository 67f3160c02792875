// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start-up (lists filled from the data files, the splash, the
// requirement check) and the Check menu.
#include "MainWindow.h"

#include "SplashWindow.h"
#include "pipeline/DataFiles.h"
#include "pipeline/OptionLists.h"

#include "checks/ComponentPlatform.h"
#include "platform/ColorCombo.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"

#include <QComboBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>

using platform::MsgBoxAnswer::Yes;
using platform::MsgBoxStyle::Critical;
using platform::MsgBoxStyle::YesNoQuestion;

namespace {

const char *const DirectXDownloadPage = "https://www.trovexa.com/windows/directx/default.mspx";

// Wide enough that its field shows the longest entry whole.
void fitToEntries(QComboBox *list)
{
    int longest = 0;
    for (int i = 0; i < list->count(); ++i)
        longest = std::max(longest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(list);
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox,
                                                      &option,
                                                      QStyle::SC_ComboBoxEditField,
                                                      list);
    list->setMinimumWidth(
            std::max(list->minimumWidth(), longest + option.rect.width() - field.width()));
}

void fill(QComboBox *list, const FixedOptionList &fixed)
{
    list->addItems(fixed.entries);
    list->setCurrentIndex(list->findText(fixed.entries.value(fixed.defaultPosition)));
    fitToEntries(list);
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

} // namespace

MainWindow::Startup MainWindow::Form_Load()
{
    try {
        if (m_services.instanceQuery.anotherCopyRunning()) {
            msgBox("THIS SOFTWARE IS ALREADY OPEN!", Critical, "Error");
            endProgram();
            return Startup::End;
        }
        m_memory.restorePlace();
        show();
        m_encode.encoderArguments = {};
        fillFixedLists();
        fillDataFileLists();
        m_memory.restoreChoices();
        GetWindowsFolder();
        setCursor(Qt::WaitCursor);
        showSplash();
        const bool keepRunning = CheckDirectXRequirement();
        unsetCursor();
        if (!keepRunning) {
            endProgram();
            return Startup::End;
        }
        m_sourceQueue.offerSavedQueue();
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
