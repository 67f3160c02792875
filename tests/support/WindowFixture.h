// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainWindow.h"

#include "doubles/Doubles.h"
#include "media/VideoEditComponent.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QMetaProperty>
#include <QTemporaryDir>

#include <memory>

// A main window over test doubles for what a person would click (message
// boxes, dialogs, the shell), with the real runner, tools and video-editing
// component. Its application folder is a fresh one, with a blank in its
// name, holding copies of the shipped data files and links to the built tools.
struct WindowFixture
{
    WindowFixture()
    {
        const QString built = applicationFolderUnderTest();
        for (const char *name : {"fonts.txt", "fontsizes.txt", "colors.txt"})
            QFile::copy(built + "/" + name, appFolder.filePath(name));
        for (const char *name : {"ffmpeg", "flvmdi", "vhook"})
            QFile::link(built + "/" + name, appFolder.filePath(name));
    }

    // A window over an application folder that is already there, such as
    // an installed one; nothing is copied into it.
    explicit WindowFixture(const QString &installedFolder)
        : m_folder(installedFolder)
    { }

    QString folder() const { return m_folder.isEmpty() ? appFolder.path() : m_folder; }

    MainWindow &window()
    {
        if (!m_window) {
            m_window = std::make_unique<MainWindow>(PlatformServices {boxes,
                                                                      shell,
                                                                      instances,
                                                                      components,
                                                                      dialogs,
                                                                      dialogs,
                                                                      videoEdit,
                                                                      notifier},
                                                    MainWindowSettings {folder(),
                                                                        "/usr/share",
                                                                        10,
                                                                        settingsFile,
                                                                        presetFolder,
                                                                        queueFile});
        }
        return *m_window;
    }
    const MainWindowUi &ui() { return window().ui(); }
    // Sets controls from "name=value" pairs, separated by ";".
    void set(const QString &settings)
    {
        for (const QString &setting : settings.split(u';', Qt::SkipEmptyParts)) {
            QWidget *control = window().findChild<QWidget *>(setting.section(u'=', 0, 0));
            control->setProperty(control->inherits("QComboBox")
                                         ? "currentText"
                                         : control->metaObject()->userProperty().name(),
                                 setting.section(u'=', 1));
        }
    }

    // A blank in the folder's name, as in "/home/me/My Apps".
    QTemporaryDir appFolder {QDir::tempPath() + "/trovexa app-XXXXXX"};
    platform::RecordingMessageBoxes boxes;
    platform::RecordingShell shell;
    platform::FixedInstanceQuery instances;
    platform::FakeComponents components;
    platform::ScriptedDialogs dialogs;
    media::VideoEditComponent videoEdit {media::findSystemFfmpeg(appFolder.path())};
    platform::RecordingNotifier notifier;
    // What the window remembers and the user's presets; set before the
    // window is made. Empty: nothing is kept, as in most tests.
    QString settingsFile;
    QString presetFolder;
    QString queueFile;

private:
    QString m_folder;
    std::unique_ptr<MainWindow> m_window;
};
