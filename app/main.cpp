#include "MainWindow.h"

#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/LinuxComponents.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtProcessLauncher.h"
#include "platform/Shell.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Trovexa FLV Converter");

    platform::QtMessageBoxes messageBoxes;
    platform::QtProcessLauncher processLauncher;
    platform::DesktopShell shell;
    platform::InstanceLock instanceLock;
    platform::LinuxComponents components;
    MainWindow window(PlatformServices{messageBoxes, processLauncher, shell, instanceLock, components},
                      MainWindowSettings{platform::ApplicationFolder(), platform::GetWindowsFolder()});
    messageBoxes.setOwner(&window);
    if (window.Form_Load() == MainWindow::Startup::End)
        return 0;
    return app.exec();
}
