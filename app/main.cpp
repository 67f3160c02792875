#include "MainWindow.h"

#include "platform/QtMessageBoxes.h"
#include "platform/QtProcessLauncher.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Trovexa FLV Converter");

    platform::QtMessageBoxes messageBoxes;
    platform::QtProcessLauncher processLauncher;
    MainWindow window(PlatformServices{messageBoxes, processLauncher});
    messageBoxes.setOwner(&window);
    window.show();
    return app.exec();
}
