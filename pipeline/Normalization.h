#pragma once

#include "ProgressView.h"

#include "media/VideoEdit.h"
#include "platform/MessageBoxes.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>
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

// How a normalization ended: the intermediate written; an error shown (a
// source that cannot be read or converted, an intermediate that cannot be
// saved); or stopped by the user (No to going on without sound, Yes to
// Cancel).
enum class NormalizationEnd { Ready, Failed, Stopped };

// A duration rounded to two decimal places, halves to even.
double roundToHundredths(double seconds);

// Converts a source into the intermediate MPEG file with the video-editing
// component while a modal progress window runs.
class Normalizer
{
public:
    Normalizer(media::VideoEdit &component,
               platform::MessageBoxes &messages,
               ProgressViewFactory makeProgressView);

    // Runs one normalization of sourcePath into intermediatePath. Returns
    // once the progress window has closed, or at once after a failure (each
    // failure shows its one message box). The verdict, normalizedReady, is
    // true only after the component reported a finished conversion; false
    // after every failure, refusal and confirmed cancel.
    bool SourceNormalizer(const QString &sourcePath, const QString &intermediatePath);

    // How the last normalization ended.
    NormalizationEnd lastEnd() const;

    // The abort action of the progress window: stops the component and
    // makes the verdict false.
    void AbortNormalization();

private:
    void conversionProgress(double position, double length);
    void conversionFinished();
    void conversionFailed();
    void cancelRequested();
    void closeView();
    // A component operation failed outright. Returns the verdict: false.
    bool failNow();
    // The failure box, with what the component said as its details.
    void showFailure();

    media::VideoEdit &m_component;
    platform::MessageBoxes &m_messages;
    ProgressViewFactory m_makeProgressView;
    bool m_normalizedReady = false;

    ProgressView *m_view = nullptr;
    QElapsedTimer m_running; // since the conversion started
    bool m_ended = false;
    bool m_failed = false;
    QString m_intermediate; // of the running normalization
};

} // namespace pipeline
