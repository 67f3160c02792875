// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pipeline/Presets.h"

#include <QList>
#include <QObject>

struct MainWindowUi;
class QAction;

namespace platform {
class MessageBoxes;
}

// The Presets menu: the built-in and the user's presets to apply, Save
// preset..., Delete preset and Reset options. It lists the preset folder
// afresh each time it opens, so a file copied in shows at once.
class PresetMenu : public QObject
{
    Q_OBJECT
public:
    PresetMenu(const MainWindowUi &ui,
               platform::MessageBoxes &messageBoxes,
               pipeline::PresetFolder folder,
               QObject *parent = nullptr);

    // Lists the presets in the menu and in Delete preset.
    void refresh();

    // Sets the Converter tab to the preset; a preset that cannot be read or
    // is refused gets an "Error" box naming why, and nothing changes.
    void apply(const QString &name);
    // Asks for a name and saves the Converter tab's choices under it,
    // asking before one is replaced.
    void saveCurrent();
    // Asks, then deletes the user's preset.
    void remove(const QString &name);
    // The window's start values.
    void reset();

private:
    void showError(const QString &prompt);

    const MainWindowUi &m_ui;
    platform::MessageBoxes &m_messageBoxes;
    pipeline::PresetFolder m_folder;
    QList<QAction *> m_listed;
};
