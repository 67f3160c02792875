// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionOptions.h"
#include "Normalization.h"
#include "PipelineStage.h"
#include "StageRunner.h"

#include "media/VideoEdit.h"
#include "platform/MessageBoxes.h"

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace pipeline {

// What a job may do with a file that is under its output's name when its
// turn comes.
enum class ExistingOutput {
    Replace, // the user agreed to replace it
    Absent, // there was none when the job was planned: one now is another run's
    KeepWhole // a whole FLV file is kept (the job is skipped); any other is replaced
};

// What to convert, and how: everything a job needs, captured when it is
// made, so that later changes in the window change nothing of it.
struct JobSpec
{
    QString source;
    QString outputFolder; // ends in the separator
    QString outputName;
    ConversionOptions options;
    bool normalize = false; // through the intermediate file first
    QString intermediate; // where the normalized source goes
    bool keepIntermediate = false; // else it goes when the job ends
    QString frameCount; // the pictures to grab; empty: none
    QString pictureName = QStringLiteral("cover%d.jpg"); // in the output folder; %d counts from 1
    bool continueWithoutAudio = true; // a source whose sound cannot be used
    ExistingOutput existing = ExistingOutput::Replace;

    QString outputPath() const { return outputFolder + outputName; }
    bool operator==(const JobSpec &) const = default;
};

// Where the tools are, shared by every job.
struct JobEnvironment
{
    QString applicationFolder; // in its long form
    QString shortApplicationFolder; // for the watermark's paths
    QString fontsFolder; // the system folder whose "fonts" holds the fonts
    QChar separator = u'/';
};

// What the job borrows: the video-editing component (one job uses it at a
// time), and for a job the user follows box by box, the message boxes and
// the normalization's progress window.
struct JobServices
{
    media::VideoEdit &videoEdit;
    platform::MessageBoxes *messages = nullptr;
    ProgressViewFactory progressView = {};
};

enum class JobState {
    Waiting,
    Normalizing,
    Encoding,
    WritingMetadata,
    GrabbingPictures,
    Cancelling,
    Done,
    Failed,
    Skipped,
    Cancelled
};

bool isFinal(JobState state);

// One conversion: normalize (where asked), encode, metadata, then the
// pictures (where asked), each stage started when the one before has ended.
// A failed normalization or encode ends the job as failed; a failed
// metadata stage is told (warning()) and the pictures still come. cancel()
// returns at once; the job is Cancelled only once the running stage has
// stopped. finished comes once for every job that is started or cancelled,
// always from the event loop.
class Job : public QObject
{
    Q_OBJECT
public:
    Job(quint64 id,
        JobSpec jobSpec,
        const JobEnvironment &environment,
        JobServices services,
        QObject *parent = nullptr);
    ~Job() override;

    // Why a job that keeps whole outputs skipped its own.
    static const QString WholeOutputThere;

    quint64 id() const { return m_id; }
    const JobSpec &jobSpec() const { return m_spec; }
    // A waiting job's jobSpec may be replaced (new options, another name).
    void setSpec(const JobSpec &jobSpec);
    JobState state() const { return m_state; }
    // Why the job failed: the stage's message and the tool's last words.
    QString failure() const { return m_failure; }
    // What went wrong without failing the job (the metadata stage), or why
    // it was skipped when its turn came.
    QString warning() const { return m_warning; }
    // The encoder's arguments of the last start.
    const CommandArguments &encoderArguments() const { return m_encoderArguments; }
    // The running stage's progress, 0 to 1; -1 when unknown.
    double progress() const { return m_progress; }
    // Seconds still to wait for the running stage; -1 when unknown.
    double secondsLeft() const { return m_secondsLeft; }

    // Runs a waiting job, or a finished one again. While it runs, it holds
    // its output's lock, so that another run aiming at the same output
    // (another process, or another window) skips it instead of writing
    // into it; a job that finds the output taken, or written meanwhile,
    // ends as skipped.
    void start();
    void cancel();
    // A waiting job takes the end and results it had in a saved queue.
    void restoreEnd(JobState state, const QString &failure, const QString &warning);
    // A waiting job that will not run, and why (its warning()).
    void skip(const QString &why = {});

Q_SIGNALS:
    void stateChanged(pipeline::JobState state);
    // A stage has started; commandText is its command line as shown (empty
    // for the normalization), measured whether progress will come.
    void stageStarted(pipeline::PipelineStage stage, const QString &commandText, bool measured);
    void progressed(double position, double length);
    void finished(pipeline::JobState state);

private:
    // Takes the output for this job; false when the job was skipped.
    bool claimOutput();
    // Ends as skipped, for why, from the event loop.
    void endSkipped(const QString &why);
    void setState(JobState state);
    void normalized(NormalizationEnd end);
    void stageEnded(StageEnd end);
    void runStage(PipelineStage stage, const StageCommand &command, double length = 0);
    void runEncode();
    void runMetadata();
    void runImages();
    void finish(JobState state);
    void stageProgress(double position, double length);

    const quint64 m_id;
    JobSpec m_spec;
    const JobEnvironment &m_environment;
    JobServices m_services;
    std::unique_ptr<NormalizeStage> m_normalize;
    std::unique_ptr<StageRunner> m_runner;
    JobState m_state = JobState::Waiting;
    PipelineStage m_stage = PipelineStage::Encode;
    CommandArguments m_encoderArguments;
    QString m_input; // the encoder's input: the source or the intermediate
    bool m_wroteIntermediate = false;
    bool m_cancelled = false;
    QString m_failure;
    QString m_warning;
    double m_progress = -1;
    double m_secondsLeft = -1;
    QElapsedTimer m_stageClock;
    std::unique_ptr<QLockFile> m_outputLock;
};

} // namespace pipeline

Q_DECLARE_METATYPE(pipeline::JobState)
