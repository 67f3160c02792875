// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DigitKeys.h"
#include "MainWindowUi.h"
#include "PlatformServices.h"

#include <QObject>

namespace platform {
class CommonDialog;
}

// The handlers of the Watermarker tab: the input rules of the position and
// alpha boxes, the spinner, and saving and loading watermark settings files.
class WatermarkTab : public QObject
{
    Q_OBJECT
public:
    WatermarkTab(MainWindowUi &ui,
                 PlatformServices &services,
                 platform::CommonDialog &commonDialog,
                 QObject *parent = nullptr);

public Q_SLOTS:
    void txtAlpha_Change();
    void updAlpha_UpClick();
    void updAlpha_DownClick();
    void cmdSaveWMOptions_Click();
    void cmdLoadWMOptions_Click();

private:
    void prepareDialog(const QString &title);
    void applyLoaded(const QByteArray &bytes);

    MainWindowUi &m_ui;
    PlatformServices &m_services;
    platform::CommonDialog &m_dialog;
    DigitKeys m_digitKeys; // of txtLeft, txtTop and txtAlpha
};
