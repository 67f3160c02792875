#include "MainWindow.h"

MainWindow::MainWindow(PlatformServices services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
{
    setObjectName("frmMain");
    setWindowTitle("Trovexa - FLV Converter");
    resize(640, 480);
}
