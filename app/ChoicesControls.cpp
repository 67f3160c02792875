// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChoicesControls.h"

#include "ConversionControls.h"
#include "MainWindowUi.h"

#include "pipeline/EncodeRequest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

void check(QCheckBox *box, bool on)
{
    box->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void select(QComboBox *list, const QString &entry)
{
    const int position = list->findText(entry);
    if (position >= 0)
        list->setCurrentIndex(position);
}

QList<QComboBox *> lists(const MainWindowUi &ui)
{
    return {ui.cmbVideoWindow,
            ui.cmbVideoBitrate,
            ui.cmbAudioSampling,
            ui.cmbAudioBitrate,
            ui.cmbAudioChannels,
            ui.cmbCodec};
}

QList<QCheckBox *> boxes(const MainWindowUi &ui)
{
    return {ui.chkDeInterlace, ui.chkImage, ui.chkQuickEncode, ui.chkDisableAudio};
}

} // namespace

pipeline::ConverterChoices readChoices(const MainWindowUi &ui)
{
    pipeline::ConverterChoices c;
    c.videoWindow = ui.cmbVideoWindow->currentText();
    c.videoBitrate = ui.cmbVideoBitrate->currentText();
    c.deInterlace = isSet(ui.chkDeInterlace);
    c.pictures = isSet(ui.chkImage);
    const int count = pipeline::imageFrameCount(ui.txtNumImages->text()).toInt();
    c.pictureCount = QString::number(count >= 1 && count <= 99 ? count : 10);
    c.codecs = pipeline::FlvCodecs(qBound(0, ui.cmbCodec->currentIndex(), 1));
    c.quickEncode = isSet(ui.chkQuickEncode);
    c.audioOff = isSet(ui.chkDisableAudio);
    c.sampling = ui.cmbAudioSampling->currentText();
    c.audioBitrate = ui.cmbAudioBitrate->currentText();
    c.channels = ui.cmbAudioChannels->currentText();
    return c;
}

void applyChoices(const MainWindowUi &ui, const pipeline::ConverterChoices &c)
{
    select(ui.cmbVideoWindow, c.videoWindow);
    select(ui.cmbVideoBitrate, c.videoBitrate);
    check(ui.chkDeInterlace, c.deInterlace);
    check(ui.chkImage, c.pictures);
    ui.txtNumImages->setText(c.pictureCount);
    ui.cmbCodec->setCurrentIndex(int(c.codecs));
    check(ui.chkQuickEncode, c.quickEncode);
    check(ui.chkDisableAudio, c.audioOff);
    select(ui.cmbAudioSampling, c.sampling);
    select(ui.cmbAudioBitrate, c.audioBitrate);
    select(ui.cmbAudioChannels, c.channels);
}

void watchChoices(const MainWindowUi &ui, QObject *context, const std::function<void()> &changed)
{
    for (QComboBox *list : lists(ui))
        QObject::connect(list, &QComboBox::currentIndexChanged, context, changed);
    for (QCheckBox *box : boxes(ui))
        QObject::connect(box, &QCheckBox::stateChanged, context, changed);
    QObject::connect(ui.txtNumImages, &QLineEdit::textChanged, context, changed);
}
