// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowUi.h"

#include "CaptionGaps.h"

#include "platform/ColorCombo.h"
#include "platform/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace {

template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel *label(const char *name, const QString &caption)
{
    return named(new QLabel(caption), name);
}

QComboBox *dropDown(const char *name)
{
    auto *combo = named(new QComboBox, name);
    combo->setEditable(false);
    return combo;
}

QLineEdit *smallBox(const char *name, const QString &text, int maxLength, int width)
{
    auto *box = named(new QLineEdit(text), name);
    box->setMaxLength(maxLength);
    box->setFixedWidth(width);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

// A sunken label that shows a chosen path.
QLabel *pathLabel(const char *name)
{
    QLabel *path = label(name, QString());
    path->setTextFormat(Qt::PlainText);
    path->setFrameShape(QFrame::Panel);
    path->setFrameShadow(QFrame::Sunken);
    path->setMinimumWidth(300);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return path;
}

} // namespace

void MainWindowUi::setupUi(QMainWindow *window)
{
    window->setObjectName("frmMain");
    window->setWindowTitle("Trovexa - FLV Converter");

    auto *central = new QWidget(window);
    auto *layout = new QVBoxLayout(central);

    sstThis = named(new QTabWidget, "sstThis");
    sstThis->addTab(buildConverterTab(), "Converter");
    sstThis->addTab(buildWatermarkerTab(), "Watermarker");
    sstThis->addTab(buildPlayerTab(), "FLV Player");
    sstThis->setCurrentIndex(0);
    layout->addWidget(sstThis);

    chkQuickEncode = named(new QCheckBox("Quick Encode"), "chkQuickEncode");
    cmdEncode = named(new QPushButton("Start &Encoding"), "cmdEncode");
    cmdExit = named(new QPushButton("E&xit Software"), "cmdExit");
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(chkQuickEncode);
    bottom->addStretch();
    bottom->addWidget(cmdEncode);
    bottom->addWidget(cmdExit);
    layout->addLayout(bottom);

    tmrProgress = named(new QTimer(window), "tmrProgress");
    tmrProgress->setInterval(1000);
    txtApp = named(new QLineEdit(central), "txtApp");
    txtApp->setMaxLength(std::numeric_limits<int>::max());
    txtApp->hide();
    lblVerWMV = named(new QLabel(central), "lblVerWMV");
    lblVerWMV->hide();

    window->setCentralWidget(central);
    buildMenus(window);
}

ConversionControls MainWindowUi::conversionControls() const
{
    ConversionControls c;
    c.cmbVideoBitrate = cmbVideoBitrate;
    c.cmbVideoWindow = cmbVideoWindow;
    c.chkDeInterlace = chkDeInterlace;
    c.chkWatermark = chkWatermark;
    c.txtWatermark = txtWatermark;
    c.ccbWatermarkColor = ccbWatermarkColor;
    c.cmbFontFileName = cmbFontFileName;
    c.cmbFontSize = cmbFontSize;
    c.txtLeft = txtLeft;
    c.txtTop = txtTop;
    c.txtAlpha = txtAlpha;
    c.chkDisableAudio = chkDisableAudio;
    c.cmbAudioSampling = cmbAudioSampling;
    c.cmbAudioBitrate = cmbAudioBitrate;
    c.cmbAudioChannels = cmbAudioChannels;
    c.cmbCodec = cmbCodec;
    return c;
}

QWidget *MainWindowUi::buildConverterTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);

    Frame1 = named(new QGroupBox("Source Video:"), "Frame1");
    cmdInput = named(new QPushButton("&Input File"), "cmdInput");
    cmdOutput = named(new QPushButton("&Output Folder"), "cmdOutput");
    lblInput = pathLabel("lblInput");
    lblOutDir = pathLabel("lblOutDir");
    lblOutputFileName = label("lblOutputFileName", "Output File Name:");
    txtOutFile = named(new QLineEdit, "txtOutFile");
    auto *source = new QGridLayout(Frame1);
    source->addWidget(cmdInput, 0, 0);
    source->addWidget(lblInput, 0, 1);
    source->addWidget(cmdOutput, 1, 0);
    source->addWidget(lblOutDir, 1, 1);
    source->addWidget(lblOutputFileName, 2, 0);
    source->addWidget(txtOutFile, 2, 1);
    source->setColumnStretch(1, 1);
    layout->addWidget(Frame1);

    auto *options = new QHBoxLayout;
    Frame2 = named(new QGroupBox("Video Encoding Options"), "Frame2");
    lblVideoWindow = label("lblVideoWindow", "Video Window:");
    cmbVideoWindow = dropDown("cmbVideoWindow");
    lblPixels = label("lblPixels", "Pixels");
    lblVideoRate = label("lblVideoRate", "Video Bitrate:");
    cmbVideoBitrate = dropDown("cmbVideoBitrate");
    lblVideoKbps = label("lblVideoKbps", "Kbps");
    chkDeInterlace = named(new QCheckBox("De - Interlace"), "chkDeInterlace");
    chkImage = named(new QCheckBox("Grab JPEG of 1st           Frames"), "chkImage");
    txtNumImages = smallBox("txtNumImages", "10", 2, 26);
    auto *imageCaption = new CaptionGaps(chkImage);
    imageCaption->addBox("Grab JPEG of 1st  ", txtNumImages);
    lblCodec = label("lblCodec", "Codec:");
    cmbCodec = dropDown("cmbCodec");
    auto *video = new QGridLayout(Frame2);
    video->addWidget(lblVideoWindow, 0, 0);
    video->addWidget(cmbVideoWindow, 0, 1);
    video->addWidget(lblPixels, 0, 2);
    video->addWidget(lblVideoRate, 1, 0);
    video->addWidget(cmbVideoBitrate, 1, 1);
    video->addWidget(lblVideoKbps, 1, 2);
    video->addWidget(chkDeInterlace, 2, 0, 1, 3);
    video->addWidget(imageCaption, 3, 0, 1, 3);
    video->addWidget(lblCodec, 4, 0);
    video->addWidget(cmbCodec, 4, 1, 1, 2);
    video->setRowStretch(5, 1);
    options->addWidget(Frame2);

    Frame3 = named(new QGroupBox("Audio Encoding Options"), "Frame3");
    lblAudioBitrate = label("lblAudioBitrate", "Audio Bitrate:");
    cmbAudioBitrate = dropDown("cmbAudioBitrate");
    lblAudioKbps = label("lblAudioKbps", "Kbps");
    lblSamplingFrequency = label("lblSamplingFrequency", "Sampling Frequency:");
    cmbAudioSampling = dropDown("cmbAudioSampling");
    lblHz = label("lblHz", "Hz");
    lblAudioChannels = label("lblAudioChannels", "Channels:");
    cmbAudioChannels = dropDown("cmbAudioChannels");
    chkDisableAudio = named(new QCheckBox("Disable Audio"), "chkDisableAudio");
    auto *audio = new QGridLayout(Frame3);
    audio->addWidget(lblAudioBitrate, 0, 0);
    audio->addWidget(cmbAudioBitrate, 0, 1);
    audio->addWidget(lblAudioKbps, 0, 2);
    audio->addWidget(lblSamplingFrequency, 1, 0);
    audio->addWidget(cmbAudioSampling, 1, 1);
    audio->addWidget(lblHz, 1, 2);
    audio->addWidget(lblAudioChannels, 2, 0);
    audio->addWidget(cmbAudioChannels, 2, 1);
    audio->addWidget(chkDisableAudio, 3, 0, 1, 3);
    options->addWidget(Frame3);
    layout->addLayout(options);

    shpText = named(new QFrame, "shpText");
    shpText->setFrameShape(QFrame::Box);
    lblMessage = label("lblMessage",
                       "Please read the Help file to know more about each of these options for "
                       "better encoding.");
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignCenter);
    auto *message = new QVBoxLayout(shpText);
    message->addWidget(lblMessage);
    layout->addWidget(shpText);
    layout->addStretch();
    return tab;
}

QWidget *MainWindowUi::buildWatermarkerTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);

    chkWatermark = named(new QCheckBox("Watermark FLV File"), "chkWatermark");
    cmdSaveWMOptions = named(new QPushButton("&Save Watermark Options"), "cmdSaveWMOptions");
    cmdLoadWMOptions = named(new QPushButton("&Load Watermark Options"), "cmdLoadWMOptions");
    auto *top = new QHBoxLayout;
    top->addWidget(chkWatermark);
    top->addStretch();
    top->addWidget(cmdSaveWMOptions);
    top->addWidget(cmdLoadWMOptions);
    layout->addLayout(top);

    Frame4 = named(new QGroupBox, "Frame4");
    lblWMText = label("lblWMText", "Watermark Text:");
    txtWatermark = named(new QPlainTextEdit, "txtWatermark");
    txtWatermark->setTabChangesFocus(true);
    txtWatermark->setFixedHeight(60);
    lblWMFont = label("lblWMFont", "Font:");
    cmbFontName = dropDown("cmbFontName");
    cmbFontFileName = dropDown("cmbFontFileName");
    cmbFontFileName->setParent(Frame4);
    cmbFontFileName->hide();
    lblWMFontSize = label("lblWMFontSize", "Font Size:");
    cmbFontSize = dropDown("cmbFontSize");
    lblWMColor = label("lblWMColor", "Watermark Color:");
    ccbWatermarkColor = named(new platform::ColorCombo, "ccbWatermarkColor");
    lblWMPosition = label("lblWMPosition", "Position:        Left-                          Top-");
    txtLeft = smallBox("txtLeft", "2", 3, 40);
    txtTop = smallBox("txtTop", "2", 3, 40);
    auto *position = new CaptionGaps(lblWMPosition);
    position->addBox("Position:        Left- ", txtLeft);
    position->addBox("Position:        Left-                          Top- ", txtTop);
    position->setMinimumWidth(position->sizeHint().width() + 48);
    lblWMAlpha = label("lblWMAlpha", "Alpha:");
    txtAlpha = smallBox("txtAlpha", "255", 3, 40);
    updAlpha = named(new platform::UpDown, "updAlpha");
    auto *alpha = new QHBoxLayout;
    alpha->setSpacing(0);
    alpha->addWidget(txtAlpha);
    alpha->addWidget(updAlpha);
    alpha->addStretch();

    auto *grid = new QGridLayout(Frame4);
    grid->addWidget(lblWMText, 0, 0, Qt::AlignTop);
    grid->addWidget(txtWatermark, 0, 1);
    grid->addWidget(lblWMFont, 1, 0);
    grid->addWidget(cmbFontName, 1, 1);
    grid->addWidget(lblWMFontSize, 2, 0);
    grid->addWidget(cmbFontSize, 2, 1, Qt::AlignLeft);
    grid->addWidget(lblWMColor, 3, 0);
    grid->addWidget(ccbWatermarkColor, 3, 1, Qt::AlignLeft);
    grid->addWidget(position, 4, 0, 1, 2);
    grid->addWidget(lblWMAlpha, 5, 0);
    grid->addLayout(alpha, 5, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(Frame4);
    layout->addStretch();
    return tab;
}

QWidget *MainWindowUi::buildPlayerTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    Frame5 = named(new QGroupBox, "Frame5");
    auto *frame = new QVBoxLayout(Frame5);
    Shape1 = named(new QFrame, "Shape1");
    Shape1->setFrameShape(QFrame::Box);
    auto *shape = new QVBoxLayout(Shape1);
    swfControl = named(new QWidget, "swfControl");
    swfControl->setMinimumSize(400, 300);
    shape->addWidget(swfControl);
    frame->addWidget(Shape1);
    layout->addWidget(Frame5);
    return tab;
}

void MainWindowUi::buildMenus(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    mnuCheck = named(bar->addMenu("&Check"), "mnuCheck");
    mnuDirectX = named(mnuCheck->addAction("Direct &X Version"), "mnuDirectX");
    bbbccc = named(mnuCheck->addSeparator(), "bbbccc");
    mnuWindows = named(mnuCheck->addAction("&Windows Media Runtime Version"), "mnuWindows");
    cccfff = named(mnuCheck->addSeparator(), "cccfff");
    mnuQuicktime = named(mnuCheck->addAction("&Quicktime Version"), "mnuQuicktime");

    // The presets themselves are listed above presetsEnd when the menu opens.
    mnuPresets = named(bar->addMenu("&Presets"), "mnuPresets");
    presetsEnd = named(mnuPresets->addSeparator(), "presetsEnd");
    mnuSavePreset = named(mnuPresets->addAction("Save preset..."), "mnuSavePreset");
    mnuDeletePreset = named(mnuPresets->addMenu("Delete preset"), "mnuDeletePreset");
    mnuPresets->addSeparator();
    mnuResetOptions = named(mnuPresets->addAction("Reset options"), "mnuResetOptions");

    mnuHelp = named(bar->addMenu("&Help"), "mnuHelp");
    mnuHelpContents = named(mnuHelp->addAction("&Contents..."), "mnuHelpContents");
    mnuHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
    oooppp = named(mnuHelp->addSeparator(), "oooppp");
    mnuHelpAbout = named(mnuHelp->addAction("&About..."), "mnuHelpAbout");
}
