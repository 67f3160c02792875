#pragma once

#include "CommandLine.h"
#include "PipelineStage.h"

#include "platform/MessageBoxes.h"
#include "platform/ProcessLauncher.h"

namespace pipeline {

// What the runner leaves behind for the encode job.
struct JobState
{
    // Outcome of the latest Encode stage: true only when the encoder ran and
    // exited with code 0.
    bool encodeSucceeded = false;
    qint32 childProcessId = 0;
    quint32 childExitCode = 0;
};

// Runs one stage's command line as a child process, waits for its end and
// reports the outcome in a message box.
class StageRunner
{
public:
    StageRunner(platform::ProcessLauncher &launcher,
                platform::MessageBoxes &messages,
                ProgramProbe probe = platform::probeProgramFile);

    // A text of blanks only runs nothing and shows nothing. A child that
    // cannot be started, is killed by a signal or whose exit code cannot be
    // read counts as failed; a failed start is reported with the system's
    // error text in upper case.
    void RunStage(PipelineStage stage, const QString &commandText, JobState &state);

private:
    platform::ProcessLauncher &m_launcher;
    platform::MessageBoxes &m_messages;
    ProgramProbe m_probe;
};

} // namespace pipeline
