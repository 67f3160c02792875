#include "Normalization.h"
#include "TimeRemaining.h"

#include "media/FrameSize.h"

#include <QFile>
#include <QObject>

#include <cmath>
#include <limits>

namespace pipeline {

using namespace platform;
using media::VideoEdit;
namespace Msg = NormalizationMessages;

namespace {

// A size from a per-file query as a 16-bit setting; out of range counts as
// a failed query.
std::optional<qint16> toInt16(std::optional<int> value)
{
    if (!value || *value < 0 || *value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(*value);
}

} // namespace

double roundToHundredths(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    return std::nearbyint(seconds * 100.0) / 100.0;
}

Normalizer::Normalizer(VideoEdit &component,
                       MessageBoxes &messages,
                       ProgressViewFactory makeProgressView)
    : m_component(component)
    , m_messages(messages)
    , m_makeProgressView(std::move(makeProgressView))
{ }

bool Normalizer::failNow()
{
    m_component.StopConversion();
    m_normalizedReady = false;
    m_failed = true;
    showFailure();
    return false;
}

void Normalizer::showFailure()
{
    m_messages.MsgBoxWithDetails(Msg::NormalizationFailed,
                                 MsgBoxStyle::Critical,
                                 QStringLiteral("Error"),
                                 m_component.lastOutput());
}

NormalizationEnd Normalizer::lastEnd() const
{
    if (m_normalizedReady)
        return NormalizationEnd::Ready;
    return m_failed ? NormalizationEnd::Failed : NormalizationEnd::Stopped;
}

bool Normalizer::SourceNormalizer(const QString &sourcePath, const QString &intermediatePath)
{
    m_ended = false;
    m_failed = false;
    m_normalizedReady = false;
    m_intermediate = intermediatePath;
    VideoEdit &c = m_component;

    const std::optional<double> duration = c.GetFileDuration(sourcePath);
    if (!duration)
        return failNow();
    double length = roundToHundredths(*duration);

    c.setAudioSampleRate(44100);
    c.setAudioBitrate(128);
    c.setOutputFormat(6);
    c.setFrameRate(25);
    const std::optional<qint16> height = toInt16(c.GetFileHeight(sourcePath));
    const std::optional<qint16> width = toInt16(c.GetFileWidth(sourcePath));
    if (!height || !width)
        return failNow();
    // The intermediate is no larger than the largest output frame.
    const media::FrameSize size = media::intermediateFrameSize({*width, *height});
    c.setOutputHeight(qint16(size.height));
    c.setOutputWidth(qint16(size.width));
    c.setColorDepth(24);
    c.ClearClips();

    if (!sourcePath.isEmpty()) {
        if (!c.AddVideoClip(sourcePath, 0.0, length, 2))
            return failNow();
        if (!c.AddAudioClip(sourcePath, 0.0, length)) {
            const int answer = m_messages.MsgBox(Msg::AudioFormatFailure,
                                                 MsgBoxStyle::YesNoQuestion,
                                                 QStringLiteral("Confirm"));
            if (answer != MsgBoxAnswer::Yes) {
                m_normalizedReady = false;
                c.StopConversion();
                return m_normalizedReady;
            }
        }
    }

    if (c.GetTimelineDuration() == 0) {
        m_messages.MsgBox(Msg::ZeroDuration, MsgBoxStyle::Critical, QStringLiteral("Error"));
        m_normalizedReady = false;
        m_failed = true;
        c.StopConversion();
        return m_normalizedReady;
    }

    // The notifications are handled only while this normalization runs.
    QObject receiver;
    QObject::connect(&c, &VideoEdit::ConversionProgress, &receiver, [this](double p, double l) {
        conversionProgress(p, l);
    });
    QObject::connect(&c, &VideoEdit::ConversionFinished, &receiver, [this] {
        conversionFinished();
    });
    QObject::connect(&c, &VideoEdit::ConversionFailed, &receiver, [this] { conversionFailed(); });

    const bool accepted = c.SetOutputFile(intermediatePath);
    m_running.start();
    const bool started = c.StartConversion();
    if (!accepted) {
        c.StopConversion();
        m_messages.MsgBox(Msg::SaveFailed, MsgBoxStyle::Critical, QStringLiteral("Error"));
        m_normalizedReady = false;
        m_failed = true;
        return m_normalizedReady;
    }
    if (!started)
        return failNow();

    const std::unique_ptr<ProgressView> view = m_makeProgressView();
    m_view = view.get();
    if (!m_ended)
        view->showModal([this] { cancelRequested(); });
    m_view = nullptr;

    if (m_failed)
        showFailure();
    return m_normalizedReady;
}

void Normalizer::AbortNormalization()
{
    m_component.StopConversion();
    m_normalizedReady = false;
    m_ended = true;
}

void Normalizer::closeView()
{
    if (m_view) {
        m_view->hideWindow();
        m_view->closeWindow();
    }
}

void Normalizer::conversionProgress(double position, double length)
{
    // The window shows the time still to wait, which the conversion's pace
    // decides: a copied video runs through its media many times faster than
    // an encoded one.
    const ProgressClock clock = wallClockProgress(m_running.nsecsElapsed() / 1e9, position, length);
    if (m_view && !m_ended)
        m_view->ShowProgress(clock.position, clock.length);
}

void Normalizer::conversionFinished()
{
    m_component.StopConversion();
    m_normalizedReady = true;
    m_ended = true;
    closeView();
}

void Normalizer::conversionFailed()
{
    m_component.StopConversion();
    m_normalizedReady = false;
    m_ended = true;
    m_failed = true;
    closeView();
}

void Normalizer::cancelRequested()
{
    const int answer = m_messages.MsgBox(Msg::AbortQuestion,
                                         MsgBoxStyle::YesNoQuestion,
                                         QStringLiteral("Confirm"));
    if (answer != MsgBoxAnswer::Yes)
        return;
    // Finished while the question was up: the new intermediate goes, as
    // the part written so far goes when the cancel comes during the work.
    const bool finished = m_normalizedReady;
    AbortNormalization();
    if (finished)
        QFile::remove(m_intermediate);
    if (m_view)
        m_view->closeWindow();
}

} // namespace pipeline
