// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace checks {
class ComponentPlatform;
}

namespace platform {
class FileDialogPresenter;
class FolderBrowser;
class InstanceQuery;
class DesktopNotifier;
class MessageBoxes;
class Shell;
} // namespace platform

namespace media {
class VideoEdit;
}

// The operating-system services the main window works through. The program
// passes the real ones; tests pass doubles.
struct PlatformServices
{
    platform::MessageBoxes &messageBoxes;
    platform::Shell &shell;
    platform::InstanceQuery &instanceQuery;
    checks::ComponentPlatform &components;
    platform::FileDialogPresenter &fileDialogs;
    platform::FolderBrowser &folderBrowser;
    media::VideoEdit &videoEdit; // VideoEdit1
    platform::DesktopNotifier &notifier;
};

// Where the window finds its files, how long the splash stays up, and where
// it keeps what it remembers and the user's presets ("" : nothing is kept).
struct MainWindowSettings
{
    QString applicationFolder;
    QString windowsFolder;
    int splashMilliseconds = 2000;
    QString settingsFile = {};
    QString presetFolder = {};
    QString queueFile = {}; // the saved queue
};
