#include "StageRunner.h"

namespace pipeline {

using platform::ChildOutcome;
using platform::MsgBoxStyle::Critical;
using platform::MsgBoxStyle::Information;

StageRunner::StageRunner(platform::ProcessLauncher &launcher,
                         platform::MessageBoxes &messages,
                         ProgramProbe probe)
    : m_launcher(launcher)
    , m_messages(messages)
    , m_probe(std::move(probe))
{ }

void StageRunner::RunStage(PipelineStage stage, const QString &commandText, JobState &state)
{
    const std::optional<CommandLine> command = splitCommandLine(commandText, m_probe);
    if (!command)
        return;

    const ChildOutcome outcome = m_launcher.runToEnd(command->program, command->arguments);
    state.childProcessId = static_cast<qint32>(outcome.processId);

    bool succeeded = false;
    if (outcome.kind == ChildOutcome::Kind::StartFailed) {
        const QString text = platform::SystemErrorText(quint32(outcome.systemError)).toUpper();
        m_messages.MsgBox(text, Critical, "Error");
    } else {
        if (outcome.kind == ChildOutcome::Kind::Exited)
            state.childExitCode = quint32(outcome.exitCode);
        succeeded = outcome.kind == ChildOutcome::Kind::Exited && outcome.exitCode == 0;
        const StageMessages texts = stageMessages(stage);
        if (succeeded)
            m_messages.MsgBox(texts.success, Information, "Message");
        else
            m_messages.MsgBox(texts.failure, Critical, "Error");
    }
    if (stage == PipelineStage::Encode)
        state.encodeSucceeded = succeeded;
}

} // namespace pipeline
