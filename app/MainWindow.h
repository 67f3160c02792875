#pragma once

#include "PlatformServices.h"

#include <QMainWindow>

// frmMain: the program's one main window.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(PlatformServices services, QWidget *parent = nullptr);

private:
    PlatformServices m_services;
};
