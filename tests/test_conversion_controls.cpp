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

QLineEdit *text(QWidget *parent, const QString &value)
{
    return new QLineEdit(value, parent);
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
        c.txtLeft = text(p, "2");
        c.txtTop = text(p, "007");
        c.txtAlpha = text(p, "");
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

    void partlyCheckedBoxIsNotSet()
    {
        for (QCheckBox *box : {c.chkDeInterlace, c.chkWatermark, c.chkDisableAudio}) {
            box->setTristate(true);
            box->setCheckState(Qt::PartiallyChecked);
        }
        const pipeline::ConversionOptions o = readConversionOptions(c);
        QVERIFY(!o.deInterlace);
        QVERIFY(!o.watermarkOn);
        QVERIFY(!o.audioOff);
    }

    void disabledAudioLeavesAudioControlsUnread()
    {
        c.chkDisableAudio->setChecked(true);
        c.chkDeInterlace->setChecked(true);
        const pipeline::ConversionOptions o = readConversionOptions(c);
        QVERIFY(o.audioOff);
        QVERIFY(o.deInterlace);
        QVERIFY(o.sampling.isEmpty() && o.audioBitrate.isEmpty() && o.channels.isEmpty());
    }

private:
    std::unique_ptr<QWidget> m_parent;
    ConversionControls c;
};

QTEST_MAIN(ConversionControlsTest)
#include "test_conversion_controls.moc"
