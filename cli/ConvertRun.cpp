// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertRun.h"

#include "pipeline/EncodeRequest.h"
#include "pipeline/QueuePlan.h"

#include <QFileInfo>
#include <QTimer>

namespace cli {

using namespace pipeline;

ConvertRun::ConvertRun(ConvertRequest request,
                       const JobEnvironment &environment,
                       media::VideoEdit &videoEdit,
                       const QString &intermediateFolder,
                       ConvertReport &report,
                       ReportLog &log,
                       QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
    , m_report(report)
    , m_log(log)
    , m_queue(environment, videoEdit, intermediateFolder)
{
    connect(&m_queue, &JobQueue::currentChanged, this, &ConvertRun::follow);
    connect(&m_queue, &JobQueue::idle, this, &ConvertRun::ended);
}

ConvertRun::~ConvertRun() = default;

JobSpec ConvertRun::jobSpecFor(const QString &file) const
{
    JobSpec jobSpec;
    jobSpec.source = file;
    jobSpec.outputFolder = m_request.outputFolder;
    const QString name = QFileInfo(file).fileName();
    jobSpec.outputName = !m_request.outputName.isEmpty() ? m_request.outputName
                                                         : proposeOutputName(name).value_or(name);
    jobSpec.options = m_request.options;
    jobSpec.normalize = needsNormalization(file, m_request.quick);
    jobSpec.frameCount = m_request.frameCount;
    return jobSpec;
}

void ConvertRun::start()
{
    const PlannedAdditions plan = planAdditions(m_request.sources, {}, [this](const QString &file) {
        return jobSpecFor(file);
    });
    for (qsizetype i = 0; i < plan.refused.size(); ++i) {
        m_report.refused(plan.refused[i]);
        m_log.refused(plan.refusedPaths[i], plan.refused[i]);
    }
    m_refused = int(plan.refused.size());
    QList<int> rows;
    for (const JobSpec &jobSpec : plan.jobSpecs) {
        m_queue.enqueue(jobSpec);
        rows << m_queue.count() - 1;
    }
    const QStringList existing = settleOutputs(m_queue, rows);
    if (!existing.isEmpty()) {
        if (m_request.existing == ExistingOutputs::Refuse) {
            m_report.mistake(
                    "trovexa: these output files exist already:\n  " + existing.join("\n  ")
                    + "\n--overwrite replaces them; --skip-existing skips their sources.\n");
            return end(2);
        }
        if (m_request.existing == ExistingOutputs::Skip) {
            keepWholeOutputs(m_queue, rows);
            for (const int row : std::as_const(rows)) {
                if (m_queue.at(row)->state() == JobState::Skipped) {
                    m_report.skipped(*m_queue.at(row), row + 1, m_queue.count());
                    log(*m_queue.at(row), 0);
                }
            }
        }
    }
    if (m_queue.count() == 0)
        return ended({});
    m_queue.start();
}

void ConvertRun::stop(int signal)
{
    if (m_signal != 0)
        return; // the stop under way escalates by itself
    m_signal = signal;
    if (m_queue.isRunning())
        m_queue.cancelAll();
    else
        end(128 + signal);
}

void ConvertRun::follow(Job *job)
{
    if (m_followed)
        m_followed->disconnect(this);
    m_followed = job;
    if (!job)
        return;
    m_report.follow(m_queue.rowOf(job->id()) + 1, m_queue.count());
    m_jobClock.start();
    const auto update = [this, job] {
        m_report.update(*job);
    };
    connect(job, &Job::stateChanged, this, update);
    connect(job, &Job::progressed, this, update);
    connect(job, &Job::finished, this, [this, job] {
        m_report.ended(*job);
        log(*job, m_jobClock.elapsed() / 1000.0);
    });
}

void ConvertRun::log(const Job &job, double seconds)
{
    if (!m_logged.contains(job.id()) && isFinal(job.state())) {
        m_logged.insert(job.id());
        m_log.ended(job, seconds);
    }
}

void ConvertRun::ended(const QueueSummary &summary)
{
    // The entries that ended without starting (cancelled while waiting), and
    // those a stopped queue never started, which count as cancelled.
    int notStarted = 0;
    for (int row = 0; row < m_queue.count(); ++row) {
        log(*m_queue.at(row), 0);
        notStarted += m_queue.at(row)->state() == JobState::Waiting;
    }
    m_report.summary(summary.converted,
                     summary.failed + m_refused,
                     summary.skipped,
                     summary.cancelled + notStarted);
    if (!summary.stopReason.isEmpty())
        m_report.refused(summary.stopReason);
    end(m_signal ? 128 + m_signal : summary.failed + summary.cancelled + m_refused > 0 ? 1 : 0);
}

void ConvertRun::end(int exitCode)
{
    if (m_ended)
        return;
    m_ended = true;
    QTimer::singleShot(0, this, [this, exitCode] { Q_EMIT finished(exitCode); });
}

} // namespace cli
