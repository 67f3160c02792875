// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Job.h"
#include "QueueStore.h"

#include <QAbstractTableModel>
#include <QSet>

#include <memory>
#include <vector>

namespace pipeline {

// How a run of the queue ended, counted over its entries.
struct QueueSummary
{
    int converted = 0;
    int failed = 0;
    int skipped = 0;
    int cancelled = 0;
    QString stopReason; // why the queue stopped before its end; empty when it did not
};

// The queue's text for the user: how many of each, and why it stopped.
QString summaryText(const QueueSummary &summary);

// What an entry's state column shows: "waiting", "encoding 45 %, 00:01:10
// left", "failed", ...
QString stateText(const Job &job);
// A state's name alone: "encoding", "writing metadata", ...
QString stateName(JobState state);

// The jobs of a collection, run one after the other, and the table a view
// shows of them: source, output and state, one row an entry. Each entry is
// a job made from its jobSpec when it is added; a job that normalizes gets an
// intermediate file of its own in the intermediate folder, removed when it
// ends. The jobs show no messages: their states say how they went.
class JobQueue : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { SourceColumn, OutputColumn, StateColumn, ColumnCount };
    // The job's id (quint64), for the rows of a view.
    static constexpr int IdRole = Qt::UserRole + 1;
    // Why the entry failed, or what went wrong in it ("" when nothing).
    static constexpr int ProblemRole = Qt::UserRole + 2;

    JobQueue(const JobEnvironment &environment,
             media::VideoEdit &videoEdit,
             QString intermediateFolder,
             QObject *parent = nullptr);
    ~JobQueue() override;

    // Adds a job at the end; its id.
    quint64 enqueue(JobSpec jobSpec);
    int count() const { return int(m_jobs.size()); }
    Job *at(int row) const;
    int rowOf(quint64 id) const;
    Job *current() const { return m_current; }
    bool isRunning() const { return m_running; }

    // Removes an entry that does not run; false for the running one.
    bool remove(int row);
    // Moves an entry that does not run one place up (-1) or down (+1).
    bool move(int row, int step);
    // Sets a waiting entry's job anew (other options, another name).
    bool replaceSpec(int row, const JobSpec &jobSpec);
    // A finished entry waits again.
    bool retry(int row);

    // The entries as a saved queue keeps them.
    QList<SavedEntry> savedEntries() const;
    // Adds the entries of a saved queue: finished ones stay finished, with
    // their results; one that was running waits again, and what it had half
    // written under its output's name goes; nothing starts.
    void restore(const QList<SavedEntry> &entries);

    // Runs the waiting entries in their order; idle comes when none is left.
    void start();
    // Stops the running entry; the queue goes on with the next one.
    void cancelCurrent();
    // Stops the running entry and cancels every waiting one.
    void cancelAll();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    // The running entry changed; nullptr between entries and at the end.
    void currentChanged(pipeline::Job *job);
    // A run of the queue has ended.
    void idle(const pipeline::QueueSummary &summary);

private:
    // The intermediates of runs that were killed: their process is gone.
    void removeAbandonedIntermediates() const;
    void prepare(JobSpec &jobSpec, quint64 id) const;
    void startNext();
    void jobFinished(Job *job);
    void jobChanged(Job *job);
    // Counts the entries no earlier summary has counted.
    QueueSummary summary();

    const JobEnvironment &m_environment;
    media::VideoEdit &m_videoEdit;
    QString m_intermediateFolder;
    std::vector<std::unique_ptr<Job>> m_jobs;
    quint64 m_nextId = 1;
    Job *m_current = nullptr;
    bool m_running = false;
    bool m_stopping = false;
    QString m_stopReason;
    QSet<quint64> m_told; // the entries an earlier summary has counted
};

} // namespace pipeline

Q_DECLARE_METATYPE(pipeline::QueueSummary)
