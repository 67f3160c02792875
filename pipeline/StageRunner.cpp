// SPDX-License-Identifier: GPL-3.0-or-later
#include "StageRunner.h"

#include "platform/FileSystem.h"
#include "platform/ProcessControl.h"

#include <QProcessEnvironment>

namespace pipeline {

using platform::MsgBoxStyle::Critical;
using platform::MsgBoxStyle::Information;

StageRunner::StageRunner(platform::MessageBoxes *messages, QObject *parent)
    : QObject(parent)
    , m_messages(messages)
{ }

StageRunner::~StageRunner()
{
    if (m_child)
        m_child->disconnect(this);
}

void StageRunner::start(PipelineStage stage, const StageCommand &command, double length)
{
    if (m_running)
        return;
    m_running = true;
    m_stage = stage;
    m_length = length;
    m_cancelled = false;
    m_progress = {};
    m_output.clear();
    m_failure.clear();

    if (const int error = platform::startError(command.program)) {
        // Reported from the event loop, as a child's end is.
        QMetaObject::invokeMethod(
                this, [this, error] { startFailed(error); }, Qt::QueuedConnection);
        return;
    }

    auto *child = new QProcess(this);
    child->setProgram(command.program);
    child->setArguments(command.arguments.list());
    child->setStandardInputFile(QProcess::nullDevice());
    platform::endWithParent(*child);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(ProgressVariable, QStringLiteral("1"));
    child->setProcessEnvironment(environment);
    connect(child, &QProcess::readyReadStandardOutput, this, &StageRunner::readProgress);
    connect(child, &QProcess::readyReadStandardError, this, &StageRunner::readOutput);
    connect(child, &QProcess::finished, this, &StageRunner::childFinished);
    connect(child, &QProcess::errorOccurred, this, [this, child](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && child == m_child)
            startFailed(platform::errorFromText(child->errorString()));
    });
    m_child = child;
    child->start();
}

void StageRunner::cancel()
{
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    if (m_child)
        platform::stopChild(*m_child, m_stopSteps);
}

QString StageRunner::output() const
{
    return QString::fromLocal8Bit(m_output);
}

void StageRunner::readProgress()
{
    if (!m_child)
        return;
    for (const double position : m_progress.feed(m_child->readAllStandardOutput()))
        Q_EMIT progressed(position, m_length);
}

void StageRunner::readOutput()
{
    if (!m_child)
        return;
    m_output += m_child->readAllStandardError();
    if (m_output.size() > OutputLimit)
        m_output.remove(0, m_output.size() - OutputLimit);
}

void StageRunner::childFinished(int exitCode, QProcess::ExitStatus status)
{
    readProgress();
    readOutput();
    if (m_cancelled)
        return finish(StageEnd::Cancelled);
    const StageMessages texts = stageMessages(m_stage);
    if (status == QProcess::NormalExit && exitCode == 0) {
        if (m_messages)
            m_messages->MsgBox(texts.success, Information, "Message");
        return finish(StageEnd::Succeeded);
    }
    m_failure = texts.failure + u'\n' + output();
    if (m_messages)
        m_messages->MsgBoxWithDetails(texts.failure, Critical, "Error", output());
    finish(StageEnd::Failed);
}

void StageRunner::startFailed(int error)
{
    if (m_cancelled)
        return finish(StageEnd::Cancelled);
    m_failure = platform::SystemErrorText(quint32(error)).toUpper();
    if (m_messages)
        m_messages->MsgBox(m_failure, Critical, "Error");
    finish(StageEnd::Failed);
}

void StageRunner::finish(StageEnd end)
{
    if (QProcess *child = m_child) {
        m_child = nullptr;
        child->disconnect(this);
        child->deleteLater();
    }
    m_running = false;
    // A cancel confirmed while the stage's message was up still ends the job.
    Q_EMIT ended(m_cancelled ? StageEnd::Cancelled : end);
}

} // namespace pipeline
