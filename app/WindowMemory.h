// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pipeline/RememberedSettings.h"

#include <QObject>
#include <QTimer>

struct MainWindowUi;
class QMainWindow;

namespace platform {
class CommonDialog;
}

// What the window keeps between runs: the Converter tab's choices, the
// last source and output folders and its own place. It writes the settings
// file shortly after a change and when the window closes.
class WindowMemory : public QObject
{
    Q_OBJECT
public:
    WindowMemory(QMainWindow &window,
                 const MainWindowUi &ui,
                 platform::CommonDialog &dialog,
                 pipeline::SettingsFile file);

    // Reads the file and puts the window at its remembered place; before
    // the window is first shown.
    void restorePlace();
    // The remembered choices and folders, once the lists are filled; from
    // then on every change is written.
    void restoreChoices();
    pipeline::SettingsState startState() const { return m_read.state; }

    // Where Input File's dialog opens next time.
    void rememberSourceFolder(const QString &folder);
    void saveSoon();
    void saveNow();

private:
    QMainWindow &m_window;
    const MainWindowUi &m_ui;
    platform::CommonDialog &m_dialog;
    pipeline::SettingsFile m_file;
    pipeline::RememberedRead m_read;
    QString m_sourceFolder;
    bool m_watching = false;
    QTimer m_saveTimer;
};
