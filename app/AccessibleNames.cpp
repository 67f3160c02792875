// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccessibleNames.h"

#include "MainWindowUi.h"

#include "platform/ColorCombo.h"
#include "platform/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

// The label's caption without its colon and blanks names the field.
void nameBy(QLabel *label, QWidget *field)
{
    label->setBuddy(field);
    QString name = label->text().remove(u'&').trimmed();
    if (name.endsWith(u':'))
        name.chop(1);
    field->setAccessibleName(name);
}

void chain(std::initializer_list<QWidget *> controls)
{
    QWidget *previous = nullptr;
    for (QWidget *control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

} // namespace

void nameControls(MainWindowUi &ui)
{
    nameBy(ui.lblOutputFileName, ui.txtOutFile);
    nameBy(ui.lblVideoWindow, ui.cmbVideoWindow);
    nameBy(ui.lblVideoRate, ui.cmbVideoBitrate);
    nameBy(ui.lblAudioBitrate, ui.cmbAudioBitrate);
    nameBy(ui.lblSamplingFrequency, ui.cmbAudioSampling);
    nameBy(ui.lblAudioChannels, ui.cmbAudioChannels);
    nameBy(ui.lblCodec, ui.cmbCodec);
    nameBy(ui.lblWMText, ui.txtWatermark);
    nameBy(ui.lblWMFont, ui.cmbFontName);
    nameBy(ui.lblWMFontSize, ui.cmbFontSize);
    nameBy(ui.lblWMColor, ui.ccbWatermarkColor);
    nameBy(ui.lblWMAlpha, ui.txtAlpha);
    // One caption holds both position boxes, and the check box's caption
    // holds the frame count.
    ui.txtLeft->setAccessibleName("Left");
    ui.txtTop->setAccessibleName("Top");
    ui.txtNumImages->setAccessibleName("Number of Frames");
    ui.updAlpha->setAccessibleName("Alpha");
    ui.updAlpha->upButton()->setAccessibleName("Increase Alpha");
    ui.updAlpha->downButton()->setAccessibleName("Decrease Alpha");
    for (QToolButton *button : {ui.updAlpha->upButton(), ui.updAlpha->downButton()})
        button->setFocusPolicy(Qt::TabFocus);

    chain({ui.cmdInput,
           ui.cmdOutput,
           ui.txtOutFile,
           ui.cmbVideoWindow,
           ui.cmbVideoBitrate,
           ui.chkDeInterlace,
           ui.chkImage,
           ui.txtNumImages,
           ui.cmbCodec,
           ui.cmbAudioBitrate,
           ui.cmbAudioSampling,
           ui.cmbAudioChannels,
           ui.chkDisableAudio});
    chain({ui.chkWatermark,
           ui.cmdSaveWMOptions,
           ui.cmdLoadWMOptions,
           ui.txtWatermark,
           ui.cmbFontName,
           ui.cmbFontSize,
           ui.ccbWatermarkColor,
           ui.txtLeft,
           ui.txtTop,
           ui.txtAlpha,
           ui.updAlpha->upButton(),
           ui.updAlpha->downButton()});
}
