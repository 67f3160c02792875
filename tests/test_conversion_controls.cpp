#include "app/ConversionControls.h"

#include "platform/ColorCombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

QComboBox *list(QWidget *parent, const QStringList &entries, int selected)
{
    auto *combo = new QComboBox(parent);
    combo->addItems(entries);
    combo->setCurrentIndex(selected);
    return combo;
}

} // namespace

class ConversionControlsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_parent = std::make_unique<QWidget>();
        QWidget *p = m_parent.get();
        c.cmbVideoBitrate = list(p, {"200", "350"}, 1);
        c.cmbVideoWindow = list(p, {"320x240", "640x480"}, 0);
        c.chkDeInterlace = new QCheckBox(p);
        c.chkWatermark = new QCheckBox(p);
        c.txtWatermark = new QPlainTextEdit(" My\nClip ", p);
        c.ccbWatermarkColor = new platform::ColorCombo(p);
        c.ccbWatermarkColor->addColor(0xFFFFFF, "white");
        c.ccbWatermarkColor->addColor(0, "Black");
        c.ccbWatermarkColor->setSelectedPosition(1);
        c.cmbFontFileName = list(p, {"truetype/dejavu/DejaVuSans.ttf"}, 0);
        c.cmbFontSize = list(p, {"12", "16"}, 1);
        c.txtLeft = new QLineEdit("2", p);
        c.txtTop = new QLineEdit("007", p);
        c.txtAlpha = new QLineEdit(p);
        c.chkDisableAudio = new QCheckBox(p);
        c.cmbAudioSampling = list(p, {"22050", "44100"}, 1);
        c.cmbAudioBitrate = list(p, {"64", "128"}, 0);
        c.cmbAudioChannels = list(p, {"Stereo", "Mono"}, 1);
        c.cmbCodec = list(p, {"Sorenson H.263 + MP3 (classic)", "H.264 + AAC"}, 0);
    }

    void readsTextsExactlyAsHeld()
    {
        c.chkWatermark->setChecked(true);
        const pipeline::ConversionOptions o = readConversionOptions(c);
        QCOMPARE(o.videoBitrate, QString("350"));
        QCOMPARE(o.videoWindow, QString("320x240"));
        QVERIFY(!o.deInterlace);
        QVERIFY(o.watermarkOn);
        QCOMPARE(o.watermarkText, QString(" My\nClip "));
        QCOMPARE(o.colorName, QString("Black"));
        QCOMPARE(o.fontFile, QString("truetype/dejavu/DejaVuSans.ttf"));
        QCOMPARE(o.fontSize, QString("16"));
        QCOMPARE(o.left, QString("2"));
        QCOMPARE(o.top, QString("007"));
        QCOMPARE(o.alpha, QString(""));
        QVERIFY(!o.audioOff);
        QCOMPARE(o.sampling, QString("44100"));
        QCOMPARE(o.audioBitrate, QString("64"));
        QCOMPARE(o.channels, QString("Mono"));
        QCOMPARE(o.codecs, pipeline::FlvCodecs::SorensonMp3);
        c.cmbCodec->setCurrentIndex(1);
        QCOMPARE(readConversionOptions(c).codecs, pipeline::FlvCodecs::H264Aac);
    }

    // A partly checked box is not set; with audio off its lists are not read.
    void checkBoxes()
    {
        for (QCheckBox *box : {c.chkDeInterlace, c.chkWatermark}) {
            box->setTristate(true);
            box->setCheckState(Qt::PartiallyChecked);
        }
        c.chkDisableAudio->setChecked(true);
        const pipeline::ConversionOptions o = readConversionOptions(c);
        QVERIFY(!o.deInterlace && !o.watermarkOn && o.audioOff);
        QVERIFY(o.sampling.isEmpty() && o.audioBitrate.isEmpty() && o.channels.isEmpty());
        c.chkDisableAudio->setTristate(true);
        c.chkDisableAudio->setCheckState(Qt::PartiallyChecked);
        c.chkDeInterlace->setChecked(true);
        QVERIFY(!readConversionOptions(c).audioOff);
        QVERIFY(readConversionOptions(c).deInterlace);
    }

private:
    std::unique_ptr<QWidget> m_parent;
    ConversionControls c;
};

QTEST_MAIN(ConversionControlsTest)
#include "test_conversion_controls.moc"
