// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"
#include "StartOptions.h"

#include "cli/ConvertMain.h"

#include "media/VideoEditComponent.h"
#include "pipeline/Presets.h"
#include "pipeline/RememberedSettings.h"
#include "platform/DBusNotifier.h"
#include "platform/FileSystem.h"
#include "platform/InstanceChannel.h"
#include "platform/InstanceLock.h"
#include "platform/LinuxComponents.h"
#include "platform/QtFileDialogs.h"
#include "platform/QtMessageBoxes.h"
#include "platform/Shell.h"
#include "preview/Pictures.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication::setApplicationName("Trovexa FLV Converter");
    QApplication::setApplicationVersion(TROVEXA_VERSION);
    // Conversions without a window: no window system is opened.
    if (cli::wantsConvert(argc, argv))
        return cli::convertMain(argc, argv);
    answerOnTerminal(argc, argv);
    QApplication app(argc, argv);
    const StartOptions options = readStartOptions(QApplication::arguments());
    QGuiApplication::setDesktopFileName("trovexa-flv-converter");
    QApplication::setWindowIcon(preview::programIcon());

    platform::QtMessageBoxes messageBoxes;
    platform::DesktopShell shell;
    platform::InstanceLock instanceLock;
    // Files opened while a copy runs go to that copy's window.
    if (!options.files.isEmpty() && instanceLock.anotherCopyRunning()
        && platform::InstanceChannel::handOver(platform::InstanceChannel::defaultName(),
                                               options.files,
                                               QDir::currentPath()))
        return 0;
    platform::LinuxComponents components;
    platform::QtFileDialogs fileDialogs;
    media::VideoEditComponent videoEdit(media::findSystemFfmpeg(platform::ApplicationFolder()));
    platform::DBusNotifier notifier(QApplication::applicationName());
    MainWindow window(PlatformServices {messageBoxes,
                                        shell,
                                        instanceLock,
                                        components,
                                        fileDialogs,
                                        fileDialogs,
                                        videoEdit,
                                        notifier},
                      MainWindowSettings {platform::ApplicationFolder(),
                                          platform::GetWindowsFolder(),
                                          2000,
                                          pipeline::userSettingsPath(),
                                          pipeline::userPresetFolder(),
                                          pipeline::userQueuePath()});
    messageBoxes.setOwner(&window);
    fileDialogs.setOwner(&window);
    if (window.Form_Load() == MainWindow::Startup::End)
        return 0;
    platform::InstanceChannel channel;
    QObject::connect(&channel,
                     &platform::InstanceChannel::filesReceived,
                     &window,
                     [&window](const QStringList &files) {
                         window.openSource(files);
                         window.raise();
                         window.activateWindow();
                     });
    channel.listen();
    if (!options.files.isEmpty())
        window.openSource(options.files);
    return app.exec();
}
