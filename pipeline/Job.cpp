// SPDX-License-Identifier: GPL-3.0-or-later
#include "Job.h"

#include "EncoderArguments.h"
#include "StageCommands.h"
#include "TimeRemaining.h"

#include "media/FlvCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace pipeline {

bool isFinal(JobState state)
{
    switch (state) {
    case JobState::Done:
    case JobState::Failed:
    case JobState::Skipped:
    case JobState::Cancelled:
        return true;
    default:
        return false;
    }
}

Job::Job(quint64 id,
         JobSpec jobSpec,
         const JobEnvironment &environment,
         JobServices services,
         QObject *parent)
    : QObject(parent)
    , m_id(id)
    , m_spec(std::move(jobSpec))
    , m_environment(environment)
    , m_services(services)
{ }

Job::~Job()
{
    // A stage still running stops with its owner: the runner kills its
    // child without a word; the normalization stops the component, whose
    // last report must not reach a job half destroyed.
    if (m_normalize)
        m_normalize->disconnect(this);
}

void Job::setSpec(const JobSpec &jobSpec)
{
    if (m_state == JobState::Waiting)
        m_spec = jobSpec;
}

void Job::setState(JobState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void Job::start()
{
    if (!isFinal(m_state) && m_state != JobState::Waiting)
        return;
    m_cancelled = false;
    m_failure.clear();
    m_warning.clear();
    m_wroteIntermediate = false;
    if (!claimOutput())
        return;
    m_encoderArguments = BuildEncoderArguments(m_spec.options,
                                               m_environment.shortApplicationFolder,
                                               m_environment.fontsFolder,
                                               m_environment.separator);
    m_input = m_spec.source;
    if (!m_spec.normalize)
        return runEncode();
    m_input = m_spec.intermediate;
    QDir().mkpath(QFileInfo(m_input).path());
    if (!m_normalize) {
        m_normalize = std::make_unique<NormalizeStage>(m_services.videoEdit,
                                                       m_services.messages,
                                                       m_services.progressView);
        connect(m_normalize.get(), &NormalizeStage::ended, this, &Job::normalized);
        connect(m_normalize.get(), &NormalizeStage::progressed, this, [this](double p, double l) {
            if (m_cancelled)
                return;
            m_progress = l > 0 ? p / l : -1;
            m_secondsLeft = l > 0 ? l - p : -1;
            Q_EMIT progressed(p, l);
        });
    }
    m_stage = PipelineStage::Normalize;
    m_progress = m_secondsLeft = -1;
    setState(JobState::Normalizing);
    Q_EMIT stageStarted(PipelineStage::Normalize, QString(), true);
    m_normalize->start(m_spec.source, m_spec.intermediate, m_spec.continueWithoutAudio);
}

const QString Job::WholeOutputThere = QStringLiteral("a whole output is there already");

bool Job::claimOutput()
{
    const QString output = m_spec.outputPath();
    const QFileInfo info(output);
    m_outputLock = std::make_unique<QLockFile>(info.absolutePath() + "/." + info.fileName()
                                               + ".trovexa-lock");
    m_outputLock->setStaleLockTime(0); // only a holder that is gone gives it up
    QString skipped;
    // A folder that takes no lock takes no output either: the encoder says why.
    const bool locked = !m_outputLock->tryLock()
            && m_outputLock->error() == QLockFile::LockFailedError;
    if (locked || (m_spec.existing == ExistingOutput::Absent && info.exists()))
        skipped = QStringLiteral("written by another run");
    else if (m_spec.existing == ExistingOutput::KeepWhole && media::isWholeFlv(output))
        skipped = WholeOutputThere;
    if (skipped.isEmpty())
        return true;
    m_outputLock.reset();
    endSkipped(skipped);
    return false;
}

void Job::normalized(NormalizationEnd end)
{
    if (end == NormalizationEnd::Ready)
        m_wroteIntermediate = true;
    if (m_cancelled || end == NormalizationEnd::Stopped)
        return finish(JobState::Cancelled);
    if (end == NormalizationEnd::Failed) {
        m_failure = m_normalize->failure();
        return finish(JobState::Failed);
    }
    runEncode();
}

void Job::runStage(PipelineStage stage, const StageCommand &command, double length)
{
    if (!m_runner) {
        m_runner = std::make_unique<StageRunner>(m_services.messages);
        connect(m_runner.get(), &StageRunner::ended, this, &Job::stageEnded);
        connect(m_runner.get(), &StageRunner::progressed, this, &Job::stageProgress);
    }
    m_stage = stage;
    m_progress = m_secondsLeft = -1;
    m_stageClock.start();
    switch (stage) {
    case PipelineStage::Normalize:
    case PipelineStage::Encode:
        setState(JobState::Encoding);
        break;
    case PipelineStage::Metadata:
        setState(JobState::WritingMetadata);
        break;
    case PipelineStage::Images:
        setState(JobState::GrabbingPictures);
        break;
    }
    Q_EMIT stageStarted(stage, command.text(), length > 0);
    m_runner->start(stage, command, length);
}

// A stopping tool may still report; once cancelled, the job reports no more.
void Job::stageProgress(double position, double length)
{
    if (m_cancelled)
        return;
    if (length > 0) {
        const ProgressClock clock = wallClockProgress(m_stageClock.nsecsElapsed() / 1e9,
                                                      position,
                                                      length);
        m_progress = std::clamp(position / length, 0.0, 1.0);
        m_secondsLeft = clock.length - clock.position;
    }
    Q_EMIT progressed(position, length);
}

void Job::runEncode()
{
    const double length = m_services.videoEdit.GetFileDuration(m_input).value_or(0);
    runStage(PipelineStage::Encode,
             encodeCommand(m_environment.applicationFolder,
                           m_input,
                           m_encoderArguments,
                           m_spec.outputFolder,
                           m_spec.outputName,
                           m_environment.separator),
             length);
}

void Job::runMetadata()
{
    runStage(PipelineStage::Metadata,
             metadataCommand(m_environment.applicationFolder,
                             m_spec.outputFolder,
                             m_spec.outputName,
                             m_environment.separator));
}

void Job::runImages()
{
    runStage(PipelineStage::Images,
             imageCommand(m_environment.applicationFolder,
                          m_input,
                          m_spec.options.videoWindow,
                          m_spec.frameCount,
                          m_spec.outputFolder,
                          m_environment.separator,
                          m_spec.pictureName));
}

void Job::stageEnded(StageEnd end)
{
    if (m_cancelled || end == StageEnd::Cancelled)
        return finish(JobState::Cancelled);
    switch (m_stage) {
    case PipelineStage::Normalize:
    case PipelineStage::Encode:
        if (end != StageEnd::Succeeded) {
            m_failure = m_runner->failure();
            return finish(JobState::Failed);
        }
        return runMetadata();
    case PipelineStage::Metadata:
        if (end != StageEnd::Succeeded)
            m_warning = m_runner->failure();
        // The pictures come from the source, whatever the metadata gave.
        if (!m_spec.frameCount.isEmpty())
            return runImages();
        return finish(JobState::Done);
    case PipelineStage::Images:
        if (end != StageEnd::Succeeded)
            m_warning += (m_warning.isEmpty() ? "" : "\n") + m_runner->failure();
        return finish(JobState::Done);
    }
}

void Job::cancel()
{
    if (m_state == JobState::Waiting) {
        setState(JobState::Cancelled);
        QTimer::singleShot(0, this, [this] { Q_EMIT finished(JobState::Cancelled); });
        return;
    }
    if (isFinal(m_state) || m_cancelled)
        return;
    m_cancelled = true;
    setState(JobState::Cancelling);
    if (m_normalize && m_normalize->isRunning())
        m_normalize->cancel();
    if (m_runner && m_runner->isRunning())
        m_runner->cancel();
}

void Job::restoreEnd(JobState state, const QString &failure, const QString &warning)
{
    if (m_state != JobState::Waiting || !isFinal(state))
        return;
    m_failure = failure;
    m_warning = warning;
    m_state = state;
}

void Job::skip(const QString &why)
{
    if (m_state == JobState::Waiting)
        endSkipped(why);
}

void Job::endSkipped(const QString &why)
{
    m_warning = why;
    setState(JobState::Skipped);
    QTimer::singleShot(0, this, [this] { Q_EMIT finished(JobState::Skipped); });
}

void Job::finish(JobState state)
{
    // A cancelled job leaves no intermediate of its own; one that others
    // share stays once it is whole.
    if (m_wroteIntermediate && (state == JobState::Cancelled || !m_spec.keepIntermediate))
        QFile::remove(m_spec.intermediate);
    m_progress = m_secondsLeft = -1;
    m_outputLock.reset(); // unlocks
    setState(state);
    Q_EMIT finished(state);
}

} // namespace pipeline
