// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ProgressView.h"

#include "media/VideoEdit.h"
#include "platform/MessageBoxes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>

namespace pipeline {

// Messages of a normalization.
namespace NormalizationMessages {
inline const QString AudioFormatFailure = QStringLiteral(
        "AUDIO FORMAT FAILURE! DO YOU WANT TO CONTINUE?");
inline const QString ZeroDuration = QStringLiteral("VIDEO GIVES ZERO SEC DURATION. CANNOT PROCESS");
inline const QString SaveFailed = QStringLiteral("FAILED TO SAVE NORMALIZED FILE!");
inline const QString NormalizationFailed = QStringLiteral(
        "NORMALIZATION FAILED! POSSIBLE REASON IS A "
        "DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED SOURCE VIDEO FILE.");
inline const QString AbortQuestion = QStringLiteral("ENCODING IS IN PROGRESS. ABORT?");
} // namespace NormalizationMessages

// How a normalization ended: the intermediate written; an error (a source
// that cannot be read or converted, an intermediate that cannot be saved);
// or stopped (No to going on without sound, Yes to Cancel, or cancel()).
enum class NormalizationEnd { Ready, Failed, Stopped };

// A duration rounded to two decimal places, halves to even.
double roundToHundredths(double seconds);

// Converts a source into the intermediate MPEG file with the video-editing
// component, in the background. With message boxes, the user sees every
// failure in its box and answers the questions (going on without sound,
// cancelling) while a progress window, made by the factory, shows the
// progress. Without them nothing is shown or asked: failure() tells why a
// normalization failed.
class NormalizeStage : public QObject
{
    Q_OBJECT
public:
    NormalizeStage(media::VideoEdit &component,
                   platform::MessageBoxes *messages = nullptr,
                   ProgressViewFactory makeProgressView = {},
                   QObject *parent = nullptr);
    ~NormalizeStage() override;

    // Starts one normalization of sourcePath into intermediatePath and
    // returns at once; ended follows once, from the event loop. Without
    // message boxes, continueWithoutAudio answers the question about a
    // source whose sound cannot be used.
    void start(const QString &sourcePath,
               const QString &intermediatePath,
               bool continueWithoutAudio = true);
    // Stops a running normalization as a confirmed Cancel does; ended
    // (Stopped) follows.
    void cancel();
    bool isRunning() const { return m_running; }
    // Why the last normalization failed: its message, then what the
    // component said; empty unless it failed.
    QString failure() const { return m_failure; }

Q_SIGNALS:
    // Of the conversion's wall-clock time, in seconds.
    void progressed(double position, double length);
    void ended(pipeline::NormalizationEnd end);

private:
    bool prepare(const QString &sourcePath, bool continueWithoutAudio);
    void fail(const QString &message, bool withDetails);
    void conversionProgress(double position, double length);
    void conversionFinished();
    void conversionFailed();
    void cancelRequested();
    // Ends the normalization: the view goes and ended follows from the
    // event loop; while the Cancel question is up, the end waits for it.
    void end(NormalizationEnd end);
    void deliver(NormalizationEnd end);

    media::VideoEdit &m_component;
    platform::MessageBoxes *m_messages = nullptr;
    ProgressViewFactory m_makeProgressView;
    std::unique_ptr<ProgressView> m_view;
    QObject *m_receiver = nullptr; // of the component's notifications
    QElapsedTimer m_clock; // since the conversion started
    QString m_intermediate;
    QString m_failure;
    bool m_running = false;
    bool m_asking = false; // the Cancel question is up
    std::optional<NormalizationEnd> m_pending; // the end that waits for it
};

} // namespace pipeline
