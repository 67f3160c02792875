// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobQueue.h"

#include "TimeRemaining.h"

#include "media/FlvCheck.h"
#include "platform/ProcessControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <cmath>

namespace pipeline {

namespace {

// A failure that every later entry would meet as well.
bool diskFull(const QString &failure)
{
    return failure.contains("No space left on device") || failure.contains("disk full")
            || failure.contains("File too large");
}

QString percent(const Job &job)
{
    if (job.progress() < 0)
        return {};
    QString text = QString(" %1 %").arg(int(std::floor(job.progress() * 100)));
    if (job.secondsLeft() >= 0)
        text += ", " + FormatTimeRemaining(job.secondsLeft()) + " left";
    return text;
}

} // namespace

QString summaryText(const QueueSummary &s)
{
    QString text = QString("QUEUE FINISHED: %1 CONVERTED, %2 FAILED, %3 SKIPPED, %4 CANCELLED.")
                           .arg(s.converted)
                           .arg(s.failed)
                           .arg(s.skipped)
                           .arg(s.cancelled);
    if (!s.stopReason.isEmpty())
        text += "\r\n" + s.stopReason;
    return text;
}

QString stateName(JobState state)
{
    switch (state) {
    case JobState::Waiting:
        return "waiting";
    case JobState::Normalizing:
        return "normalizing";
    case JobState::Encoding:
        return "encoding";
    case JobState::WritingMetadata:
        return "writing metadata";
    case JobState::GrabbingPictures:
        return "grabbing pictures";
    case JobState::Cancelling:
        return "cancelling";
    case JobState::Done:
        return "done";
    case JobState::Failed:
        return "failed";
    case JobState::Skipped:
        return "skipped";
    case JobState::Cancelled:
        return "cancelled";
    }
    return {};
}

QString stateText(const Job &job)
{
    const JobState state = job.state();
    if (state == JobState::Normalizing || state == JobState::Encoding)
        return stateName(state) + percent(job);
    if (state == JobState::Done && !job.warning().isEmpty())
        return "done, with a problem";
    return stateName(state);
}

JobQueue::JobQueue(const JobEnvironment &environment,
                   media::VideoEdit &videoEdit,
                   QString intermediateFolder,
                   QObject *parent)
    : QAbstractTableModel(parent)
    , m_environment(environment)
    , m_videoEdit(videoEdit)
    , m_intermediateFolder(std::move(intermediateFolder))
{
    removeAbandonedIntermediates();
}

void JobQueue::removeAbandonedIntermediates() const
{
    // "trovexa-<pid>-<id>.mpg", and the ".part" it is written as.
    static const QRegularExpression name(R"(^trovexa-(\d+)-\d+\.mpg(\.part)?$)");
    const QDir folder(m_intermediateFolder);
    for (const QString &entry : folder.entryList({"trovexa-*"}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (match.hasMatch() && !platform::processExists(match.captured(1).toLongLong()))
            QFile::remove(folder.filePath(entry));
    }
}

JobQueue::~JobQueue() = default;

void JobQueue::prepare(JobSpec &jobSpec, quint64 id) const
{
    // Intermediates of their own, which other entries never touch.
    jobSpec.intermediate = QString("%1/trovexa-%2-%3.mpg")
                                   .arg(m_intermediateFolder)
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(id);
    jobSpec.keepIntermediate = false;
    // Pictures named after the output, so that one entry's pictures never
    // replace another's in a shared folder.
    QString stem = jobSpec.outputName.left(jobSpec.outputName.lastIndexOf(u'.'));
    jobSpec.pictureName = (stem.isEmpty() ? jobSpec.outputName : stem).replace(u'%', u'_')
            + "-cover%d.jpg";
}

QList<SavedEntry> JobQueue::savedEntries() const
{
    QList<SavedEntry> entries;
    for (const auto &job : m_jobs)
        entries << SavedEntry {job->jobSpec(), job->state(), job->failure(), job->warning()};
    return entries;
}

void JobQueue::restore(const QList<SavedEntry> &entries)
{
    for (const SavedEntry &entry : entries) {
        JobSpec jobSpec = entry.jobSpec;
        const bool wasRunning = !isFinal(entry.state) && entry.state != JobState::Waiting;
        if (wasRunning && QFileInfo::exists(jobSpec.outputPath())
            && !media::isWholeFlv(jobSpec.outputPath()))
            QFile::remove(jobSpec.outputPath());
        const quint64 id = enqueue(jobSpec);
        if (isFinal(entry.state)) {
            at(rowOf(id))->restoreEnd(entry.state, entry.failure, entry.warning);
            m_told.insert(id); // counted by the session that ran it
            jobChanged(at(rowOf(id)));
        }
    }
}

quint64 JobQueue::enqueue(JobSpec jobSpec)
{
    const quint64 id = m_nextId++;
    prepare(jobSpec, id);
    auto job = std::make_unique<Job>(id,
                                     std::move(jobSpec),
                                     m_environment,
                                     JobServices {m_videoEdit});
    Job *added = job.get();
    connect(added, &Job::stateChanged, this, [this, added] { jobChanged(added); });
    connect(added, &Job::progressed, this, [this, added] { jobChanged(added); });
    connect(added, &Job::finished, this, [this, added] { jobFinished(added); });
    const int row = count();
    beginInsertRows({}, row, row);
    m_jobs.push_back(std::move(job));
    endInsertRows();
    return id;
}

Job *JobQueue::at(int row) const
{
    return row >= 0 && row < count() ? m_jobs[size_t(row)].get() : nullptr;
}

int JobQueue::rowOf(quint64 id) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_jobs[size_t(row)]->id() == id)
            return row;
    }
    return -1;
}

bool JobQueue::remove(int row)
{
    Job *job = at(row);
    if (!job || job == m_current)
        return false;
    beginRemoveRows({}, row, row);
    m_told.remove(job->id());
    m_jobs.erase(m_jobs.begin() + row);
    endRemoveRows();
    return true;
}

bool JobQueue::move(int row, int step)
{
    const int to = row + step;
    if (!at(row) || !at(to) || step == 0)
        return false;
    // Qt names the destination as the row before which the moved one lands.
    beginMoveRows({}, row, row, {}, step > 0 ? to + 1 : to);
    std::swap(m_jobs[size_t(row)], m_jobs[size_t(to)]);
    endMoveRows();
    return true;
}

bool JobQueue::replaceSpec(int row, const JobSpec &jobSpec)
{
    Job *job = at(row);
    if (!job || job->state() != JobState::Waiting)
        return false;
    JobSpec kept = jobSpec;
    prepare(kept, job->id());
    job->setSpec(kept);
    jobChanged(job);
    return true;
}

bool JobQueue::retry(int row)
{
    Job *job = at(row);
    if (!job || !isFinal(job->state()) || job->state() == JobState::Done)
        return false;
    // A new job in its place waits: the finished one keeps what it said.
    JobSpec jobSpec = job->jobSpec();
    auto again = std::make_unique<Job>(job->id(), jobSpec, m_environment, JobServices {m_videoEdit});
    Job *waiting = again.get();
    connect(waiting, &Job::stateChanged, this, [this, waiting] { jobChanged(waiting); });
    connect(waiting, &Job::progressed, this, [this, waiting] { jobChanged(waiting); });
    connect(waiting, &Job::finished, this, [this, waiting] { jobFinished(waiting); });
    m_told.remove(job->id());
    m_jobs[size_t(row)] = std::move(again);
    jobChanged(waiting);
    return true;
}

void JobQueue::start()
{
    if (m_running)
        return;
    m_running = true;
    m_stopping = false;
    m_stopReason.clear();
    startNext();
}

void JobQueue::startNext()
{
    m_current = nullptr;
    if (!m_stopping) {
        for (const auto &job : m_jobs) {
            if (job->state() == JobState::Waiting) {
                m_current = job.get();
                break;
            }
        }
    }
    Q_EMIT currentChanged(m_current);
    if (m_current) {
        m_current->start();
        return;
    }
    m_running = false;
    Q_EMIT idle(summary());
}

void JobQueue::jobFinished(Job *job)
{
    jobChanged(job);
    if (job != m_current)
        return;
    if (job->state() == JobState::Failed && diskFull(job->failure())) {
        m_stopping = true;
        m_stopReason = "THE DISK IS FULL: THE QUEUE STOPPED BEFORE ITS OTHER FILES.";
    }
    // The next entry starts from the event loop, never inside the signal.
    QTimer::singleShot(0, this, &JobQueue::startNext);
}

void JobQueue::cancelCurrent()
{
    if (m_current)
        m_current->cancel();
}

void JobQueue::cancelAll()
{
    if (!m_running)
        return;
    m_stopping = true;
    for (const auto &job : m_jobs) {
        if (job->state() == JobState::Waiting)
            job->cancel();
    }
    cancelCurrent();
}

void JobQueue::jobChanged(Job *job)
{
    const int row = rowOf(job->id());
    if (row >= 0)
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

QueueSummary JobQueue::summary()
{
    QueueSummary s;
    s.stopReason = m_stopReason;
    QSet<quint64> &told = m_told;
    for (const auto &job : m_jobs) {
        if (!isFinal(job->state()) || told.contains(job->id()))
            continue;
        told.insert(job->id());
        switch (job->state()) {
        case JobState::Done:
            ++s.converted;
            break;
        case JobState::Failed:
            ++s.failed;
            break;
        case JobState::Skipped:
            ++s.skipped;
            break;
        default:
            ++s.cancelled;
            break;
        }
    }
    return s;
}

int JobQueue::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int JobQueue::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JobQueue::data(const QModelIndex &index, int role) const
{
    const Job *job = at(index.row());
    if (!job || index.column() >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case SourceColumn:
            return QFileInfo(job->jobSpec().source).fileName();
        case OutputColumn:
            return job->jobSpec().outputName;
        default:
            return stateText(*job);
        }
    case Qt::ToolTipRole:
        if (index.column() == SourceColumn)
            return job->jobSpec().source;
        if (index.column() == OutputColumn)
            return job->jobSpec().outputPath();
        return job->failure().isEmpty() ? job->warning() : job->failure();
    case IdRole:
        return job->id();
    case ProblemRole:
        return job->failure().isEmpty() ? job->warning() : job->failure();
    default:
        return {};
    }
}

QVariant JobQueue::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case SourceColumn:
        return "Source";
    case OutputColumn:
        return "Output";
    case StateColumn:
        return "State";
    default:
        return {};
    }
}

} // namespace pipeline
