// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pipeline/ConversionOptions.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace platform {
class ColorCombo;
}

// The controls whose values make up the conversion options.
struct ConversionControls
{
    QComboBox *cmbVideoBitrate = nullptr;
    QComboBox *cmbVideoWindow = nullptr;
    QCheckBox *chkDeInterlace = nullptr;
    QCheckBox *chkWatermark = nullptr;
    QPlainTextEdit *txtWatermark = nullptr;
    platform::ColorCombo *ccbWatermarkColor = nullptr;
    QComboBox *cmbFontFileName = nullptr;
    QComboBox *cmbFontSize = nullptr;
    QLineEdit *txtLeft = nullptr;
    QLineEdit *txtTop = nullptr;
    QLineEdit *txtAlpha = nullptr;
    QCheckBox *chkDisableAudio = nullptr;
    QComboBox *cmbAudioSampling = nullptr;
    QComboBox *cmbAudioBitrate = nullptr;
    QComboBox *cmbAudioChannels = nullptr;
    QComboBox *cmbCodec = nullptr; // entries in the order of pipeline::FlvCodecs
};

// A check box counts only when fully checked.
bool isSet(const QCheckBox *box);

// Reads the options exactly as the controls hold them now. A check box
// counts only when fully checked; a partly checked box is not set.
pipeline::ConversionOptions readConversionOptions(const ConversionControls &controls);
