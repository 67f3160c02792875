// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionControls.h"

#include <QString>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class QWidget;

namespace platform {
class ColorCombo;
class UpDown;
} // namespace platform

// Every control of frmMain, named and captioned as the program has always
// had them. setupUi builds them into the window; nothing here has behaviour.
struct MainWindowUi
{
    void setupUi(QMainWindow *window);

    // The controls the conversion options are read from.
    ConversionControls conversionControls() const;

    QTabWidget *sstThis = nullptr;

    // Converter tab
    QGroupBox *Frame1 = nullptr;
    QPushButton *cmdInput = nullptr;
    QPushButton *cmdOutput = nullptr;
    QLabel *lblInput = nullptr;
    QLabel *lblOutDir = nullptr;
    QLabel *lblOutputFileName = nullptr;
    QLineEdit *txtOutFile = nullptr;

    QGroupBox *Frame2 = nullptr;
    QLabel *lblVideoWindow = nullptr;
    QComboBox *cmbVideoWindow = nullptr;
    QLabel *lblPixels = nullptr;
    QLabel *lblVideoRate = nullptr;
    QComboBox *cmbVideoBitrate = nullptr;
    QLabel *lblVideoKbps = nullptr;
    QCheckBox *chkDeInterlace = nullptr;
    QCheckBox *chkImage = nullptr;
    QLineEdit *txtNumImages = nullptr;
    QLabel *lblCodec = nullptr;
    QComboBox *cmbCodec = nullptr;

    QGroupBox *Frame3 = nullptr;
    QLabel *lblAudioBitrate = nullptr;
    QComboBox *cmbAudioBitrate = nullptr;
    QLabel *lblAudioKbps = nullptr;
    QLabel *lblSamplingFrequency = nullptr;
    QComboBox *cmbAudioSampling = nullptr;
    QLabel *lblHz = nullptr;
    QLabel *lblAudioChannels = nullptr;
    QComboBox *cmbAudioChannels = nullptr;
    QCheckBox *chkDisableAudio = nullptr;
    QFrame *shpText = nullptr;
    QLabel *lblMessage = nullptr;

    // Watermarker tab
    QCheckBox *chkWatermark = nullptr;
    QPushButton *cmdSaveWMOptions = nullptr;
    QPushButton *cmdLoadWMOptions = nullptr;
    QGroupBox *Frame4 = nullptr;
    QLabel *lblWMText = nullptr;
    QPlainTextEdit *txtWatermark = nullptr;
    QLabel *lblWMFont = nullptr;
    QComboBox *cmbFontName = nullptr;
    QComboBox *cmbFontFileName = nullptr;
    QLabel *lblWMFontSize = nullptr;
    QComboBox *cmbFontSize = nullptr;
    QLabel *lblWMColor = nullptr;
    platform::ColorCombo *ccbWatermarkColor = nullptr;
    QLabel *lblWMPosition = nullptr;
    QLineEdit *txtLeft = nullptr;
    QLineEdit *txtTop = nullptr;
    QLabel *lblWMAlpha = nullptr;
    QLineEdit *txtAlpha = nullptr;
    platform::UpDown *updAlpha = nullptr;

    // FLV Player tab
    QGroupBox *Frame5 = nullptr;
    QWidget *swfControl = nullptr;
    QFrame *Shape1 = nullptr;

    // Below the tabs
    QCheckBox *chkQuickEncode = nullptr;
    QPushButton *cmdEncode = nullptr;
    QPushButton *cmdExit = nullptr;

    // Not shown to the user
    QTimer *tmrProgress = nullptr;
    QLineEdit *txtApp = nullptr;
    QLabel *lblVerWMV = nullptr;

    // Menus
    QMenu *mnuCheck = nullptr;
    QAction *mnuDirectX = nullptr;
    QAction *bbbccc = nullptr;
    QAction *mnuWindows = nullptr;
    QAction *cccfff = nullptr;
    QAction *mnuQuicktime = nullptr;
    QMenu *mnuPresets = nullptr;
    QAction *presetsEnd = nullptr;
    QAction *mnuSavePreset = nullptr;
    QMenu *mnuDeletePreset = nullptr;
    QAction *mnuResetOptions = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *oooppp = nullptr;
    QAction *mnuHelpAbout = nullptr;

private:
    QWidget *buildConverterTab();
    QWidget *buildWatermarkerTab();
    QWidget *buildPlayerTab();
    void buildMenus(QMainWindow *window);
};
