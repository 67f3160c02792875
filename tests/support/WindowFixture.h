#pragma once

#include "app/MainWindow.h"

#include "platform/doubles/FakeComponents.h"
#include "platform/doubles/RecordingMessageBoxes.h"
#include "platform/doubles/RecordingShell.h"
#include "platform/QtProcessLauncher.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

// A main window over test doubles, with its own application folder holding
// copies of the shipped data files.
struct WindowFixture
{
    WindowFixture()
    {
        for (const char *name : {"fonts.txt", "fontsizes.txt", "colors.txt"})
            QFile::copy(applicationFolderUnderTest() + "/" + name, appFolder.filePath(name));
    }

    MainWindow &window()
    {
        if (!m_window) {
            m_window = std::make_unique<MainWindow>(
                PlatformServices{boxes, launcher, shell, instances, components},
                MainWindowSettings{appFolder.path(), "/usr/share", 10});
        }
        return *m_window;
    }

    void writeDataFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(appFolder.filePath(name));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }

    QTemporaryDir appFolder;
    platform::RecordingMessageBoxes boxes;
    platform::QtProcessLauncher launcher;
    platform::RecordingShell shell;
    platform::FixedInstanceQuery instances;
    platform::FakeComponents components;

private:
    std::unique_ptr<MainWindow> m_window;
};
