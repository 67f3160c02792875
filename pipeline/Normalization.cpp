// SPDX-License-Identifier: GPL-3.0-or-later
#include "Normalization.h"
#include "TimeRemaining.h"

#include "media/FrameSize.h"

#include <QFile>
#include <QTimer>

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

NormalizeStage::NormalizeStage(VideoEdit &component,
                               MessageBoxes *messages,
                               ProgressViewFactory makeProgressView,
                               QObject *parent)
    : QObject(parent)
    , m_component(component)
    , m_messages(messages)
    , m_makeProgressView(std::move(makeProgressView))
{ }

NormalizeStage::~NormalizeStage()
{
    if (m_running)
        m_component.StopConversion();
    delete m_receiver;
}

void NormalizeStage::start(const QString &sourcePath,
                           const QString &intermediatePath,
                           bool continueWithoutAudio)
{
    if (m_running)
        return;
    m_running = true;
    m_failure.clear();
    m_pending.reset();
    m_view.reset();
    m_intermediate = intermediatePath;
    if (!prepare(sourcePath, continueWithoutAudio))
        return;
    VideoEdit &c = m_component;

    // The notifications are handled only while this normalization runs.
    m_receiver = new QObject(this);
    connect(&c, &VideoEdit::ConversionProgress, m_receiver, [this](double p, double l) {
        conversionProgress(p, l);
    });
    connect(&c, &VideoEdit::ConversionFinished, m_receiver, [this] { conversionFinished(); });
    connect(&c, &VideoEdit::ConversionFailed, m_receiver, [this] { conversionFailed(); });

    const bool accepted = c.SetOutputFile(intermediatePath);
    m_clock.start();
    const bool started = c.StartConversion();
    if (!accepted) {
        c.StopConversion();
        return fail(Msg::SaveFailed, false);
    }
    if (!started) {
        c.StopConversion();
        return fail(Msg::NormalizationFailed, true);
    }
    if (!m_makeProgressView) // no window to show
        return;
    std::unique_ptr<ProgressView> view = m_makeProgressView();
    // Making the window lets events run; the conversion may have ended.
    if (m_receiver) {
        m_view = std::move(view);
        m_view->open([this] { cancelRequested(); });
    }
}

// The component's set-up: the intermediate's settings and the source's
// clips. False when the normalization ended there.
bool NormalizeStage::prepare(const QString &sourcePath, bool continueWithoutAudio)
{
    VideoEdit &c = m_component;
    const std::optional<double> duration = c.GetFileDuration(sourcePath);
    if (!duration) {
        c.StopConversion();
        fail(Msg::NormalizationFailed, true);
        return false;
    }
    double length = roundToHundredths(*duration);

    c.setAudioSampleRate(44100);
    c.setAudioBitrate(128);
    c.setOutputFormat(6);
    c.setFrameRate(25);
    const std::optional<qint16> height = toInt16(c.GetFileHeight(sourcePath));
    const std::optional<qint16> width = toInt16(c.GetFileWidth(sourcePath));
    if (!height || !width) {
        c.StopConversion();
        fail(Msg::NormalizationFailed, true);
        return false;
    }
    // The intermediate is no larger than the largest output frame.
    const media::FrameSize size = media::intermediateFrameSize({*width, *height});
    c.setOutputHeight(qint16(size.height));
    c.setOutputWidth(qint16(size.width));
    c.setColorDepth(24);
    c.ClearClips();

    if (!sourcePath.isEmpty()) {
        if (!c.AddVideoClip(sourcePath, 0.0, length, 2)) {
            c.StopConversion();
            fail(Msg::NormalizationFailed, true);
            return false;
        }
        if (!c.AddAudioClip(sourcePath, 0.0, length)) {
            const bool goOn = m_messages ? m_messages->MsgBox(Msg::AudioFormatFailure,
                                                              MsgBoxStyle::YesNoQuestion,
                                                              QStringLiteral("Confirm"))
                            == MsgBoxAnswer::Yes
                                         : continueWithoutAudio;
            if (!goOn) {
                c.StopConversion();
                end(NormalizationEnd::Stopped);
                return false;
            }
        }
    }

    if (c.GetTimelineDuration() == 0) {
        c.StopConversion();
        fail(Msg::ZeroDuration, false);
        return false;
    }
    return true;
}

void NormalizeStage::fail(const QString &message, bool withDetails)
{
    const QString details = withDetails ? m_component.lastOutput() : QString();
    m_failure = details.isEmpty() ? message : message + u'\n' + details;
    if (m_messages) {
        if (withDetails)
            m_messages->MsgBoxWithDetails(message,
                                          MsgBoxStyle::Critical,
                                          QStringLiteral("Error"),
                                          details);
        else
            m_messages->MsgBox(message, MsgBoxStyle::Critical, QStringLiteral("Error"));
    }
    end(NormalizationEnd::Failed);
}

void NormalizeStage::cancel()
{
    if (!m_running || !m_receiver)
        return;
    m_component.StopConversion();
    m_pending.reset();
    deliver(NormalizationEnd::Stopped);
}

void NormalizeStage::conversionProgress(double position, double length)
{
    // The time still to wait follows the conversion's pace: a copied video
    // runs through its media many times faster than an encoded one.
    const ProgressClock clock = wallClockProgress(m_clock.nsecsElapsed() / 1e9, position, length);
    if (m_view)
        m_view->ShowProgress(clock.position, clock.length);
    Q_EMIT progressed(clock.position, clock.length);
}

void NormalizeStage::conversionFinished()
{
    m_component.StopConversion();
    end(NormalizationEnd::Ready);
}

void NormalizeStage::conversionFailed()
{
    m_component.StopConversion();
    if (m_asking) {
        // Told once the Cancel question has its answer.
        m_pending = NormalizationEnd::Failed;
        return;
    }
    fail(Msg::NormalizationFailed, true);
}

void NormalizeStage::cancelRequested()
{
    if (!m_messages || m_asking || !m_receiver)
        return;
    m_asking = true;
    const int answer = m_messages->MsgBox(Msg::AbortQuestion,
                                          MsgBoxStyle::YesNoQuestion,
                                          QStringLiteral("Confirm"));
    m_asking = false;
    if (answer == MsgBoxAnswer::Yes) {
        // Finished while the question was up: the new intermediate goes, as
        // the part written so far goes when the cancel comes during the work.
        if (m_pending == NormalizationEnd::Ready)
            QFile::remove(m_intermediate);
        m_component.StopConversion();
        m_pending.reset();
        return deliver(NormalizationEnd::Stopped);
    }
    if (m_pending == NormalizationEnd::Failed)
        return fail(Msg::NormalizationFailed, true);
    if (m_pending)
        deliver(*m_pending);
}

void NormalizeStage::end(NormalizationEnd end)
{
    if (m_asking) {
        m_pending = end;
        return;
    }
    deliver(end);
}

void NormalizeStage::deliver(NormalizationEnd end)
{
    // The component's notifications stop here (this may run inside one).
    if (m_receiver) {
        disconnect(&m_component, nullptr, m_receiver, nullptr);
        m_receiver->deleteLater();
        m_receiver = nullptr;
    }
    if (m_view)
        m_view->closeWindow();
    QTimer::singleShot(0, this, [this, end] {
        m_view.reset();
        m_running = false;
        Q_EMIT ended(end);
    });
}

} // namespace pipeline
