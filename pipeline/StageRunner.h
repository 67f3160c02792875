// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Command.h"
#include "PipelineStage.h"

#include "media/ProgressReader.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessControl.h"

#include <QObject>
#include <QPointer>
#include <QProcess>

namespace pipeline {

// How a stage ended.
enum class StageEnd { Succeeded, Failed, Cancelled };

// Runs one stage's command as a child process and returns at once; the
// child is watched through its signals. The child reads nothing, reports
// its progress on standard output (the environment names that descriptor
// in ProgressVariable) and its last OutputLimit bytes of error output are
// kept for the failure message's details.
//
// When the child ends the runner reports the outcome in a message box, as
// the stage's message (a failed start gives the system's error text in
// upper case), then emits ended. A cancelled stage shows no message; a
// runner without message boxes shows none and keeps the failure's text for
// failure().
class StageRunner : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype OutputLimit = 64 * 1024;
    // The encoder front-end reads the descriptor of its progress report
    // from this variable.
    static constexpr const char *ProgressVariable = "TROVEXA_PROGRESS_FD";

    explicit StageRunner(platform::MessageBoxes *messages = nullptr, QObject *parent = nullptr);
    // A child still running is killed.
    ~StageRunner() override;

    // How cancel stops a child: SIGTERM at once (the tools clean up on it),
    // again later, then SIGKILL.
    void setStopSteps(const platform::StopSteps &steps) { m_stopSteps = steps; }

    // Starts the stage. length is what the output's length in seconds will
    // be, for the progress signal; 0 when unknown. A stage that is running
    // already is left alone.
    void start(PipelineStage stage, const StageCommand &command, double length = 0);
    // Stops the running child; ended(Cancelled) follows once it has ended.
    void cancel();
    bool isRunning() const { return m_running; }
    // The child's last error output, at most OutputLimit bytes.
    QString output() const;
    // Why the last stage failed: the failure message, then the child's
    // last error output; empty after a stage that did not fail.
    QString failure() const { return m_failure; }

Q_SIGNALS:
    // The output position the encoder has reached, and the expected length
    // (0 when unknown), both in seconds.
    void progressed(double position, double length);
    void ended(pipeline::StageEnd end);

private:
    void readProgress();
    void readOutput();
    void childFinished(int exitCode, QProcess::ExitStatus status);
    void startFailed(int error);
    void finish(StageEnd end);

    platform::MessageBoxes *m_messages = nullptr;
    QString m_failure;
    platform::StopSteps m_stopSteps {{}, 8000, 2000};
    QPointer<QProcess> m_child;
    PipelineStage m_stage = PipelineStage::Encode;
    double m_length = 0;
    bool m_running = false;
    bool m_cancelled = false;
    media::ProgressReader m_progress;
    QByteArray m_output;
};

} // namespace pipeline
