// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionControls.h"

#include "platform/ColorCombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

bool isSet(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked;
}

pipeline::ConversionOptions readConversionOptions(const ConversionControls &c)
{
    pipeline::ConversionOptions o;
    o.videoBitrate = c.cmbVideoBitrate->currentText();
    o.videoWindow = c.cmbVideoWindow->currentText();
    o.deInterlace = isSet(c.chkDeInterlace);
    o.watermarkOn = isSet(c.chkWatermark);
    o.watermarkText = c.txtWatermark->toPlainText();
    o.colorName = c.ccbWatermarkColor->selectedName();
    o.fontFile = c.cmbFontFileName->currentText();
    o.fontSize = c.cmbFontSize->currentText();
    o.left = c.txtLeft->text();
    o.top = c.txtTop->text();
    o.alpha = c.txtAlpha->text();
    o.audioOff = isSet(c.chkDisableAudio);
    if (!o.audioOff) {
        o.sampling = c.cmbAudioSampling->currentText();
        o.audioBitrate = c.cmbAudioBitrate->currentText();
        o.channels = c.cmbAudioChannels->currentText();
    }
    o.codecs = c.cmbCodec->currentIndex() == int(pipeline::FlvCodecs::H264Aac)
            ? pipeline::FlvCodecs::H264Aac
            : pipeline::FlvCodecs::SorensonMp3;
    return o;
}
