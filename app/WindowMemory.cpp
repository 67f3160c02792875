// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowMemory.h"

#include "ChoicesControls.h"
#include "MainWindowUi.h"

#include "platform/CommonDialog.h"

#include <QLabel>
#include <QMainWindow>

namespace {

constexpr int SaveDelayMilliseconds = 500;

} // namespace

WindowMemory::WindowMemory(QMainWindow &window,
                           const MainWindowUi &ui,
                           platform::CommonDialog &dialog,
                           pipeline::SettingsFile file)
    : m_window(window)
    , m_ui(ui)
    , m_dialog(dialog)
    , m_file(std::move(file))
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(SaveDelayMilliseconds);
    connect(&m_saveTimer, &QTimer::timeout, this, &WindowMemory::saveNow);
}

void WindowMemory::restorePlace()
{
    m_read = m_file.read();
    if (!m_read.remembered.windowGeometry.isEmpty())
        m_window.restoreGeometry(m_read.remembered.windowGeometry);
}

void WindowMemory::restoreChoices()
{
    const pipeline::Remembered &remembered = m_read.remembered;
    applyChoices(m_ui, remembered.choices);
    rememberSourceFolder(remembered.sourceFolder);
    if (m_ui.lblOutDir->text().isEmpty())
        m_ui.lblOutDir->setText(remembered.outputFolder);
    if (!m_watching)
        watchChoices(m_ui, this, [this] { saveSoon(); });
    m_watching = true;
}

void WindowMemory::rememberSourceFolder(const QString &folder)
{
    m_sourceFolder = folder;
    m_dialog.InitDir = folder;
}

void WindowMemory::saveSoon()
{
    m_saveTimer.start();
}

void WindowMemory::saveNow()
{
    m_saveTimer.stop();
    if (!m_watching) // a start that ended early keeps nothing of itself
        return;
    pipeline::Remembered remembered;
    remembered.choices = readChoices(m_ui);
    remembered.sourceFolder = m_sourceFolder;
    remembered.outputFolder = m_ui.lblOutDir->text();
    remembered.windowGeometry = m_window.saveGeometry();
    m_file.write(remembered);
}
