// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConvertArguments.h"
#include "ConvertReport.h"
#include "ReportLog.h"

#include "pipeline/JobQueue.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>

namespace cli {

// One `--convert` run: the request's sources as the entries of a queue,
// run one after the other with the report following each. finished gives
// the exit status: 0 every file converted (or skipped on request), 1 some
// failed or could not be added, 2 the outputs exist and the request says
// nothing of them (nothing is written then), 128 + the signal after stop().
class ConvertRun : public QObject
{
    Q_OBJECT
public:
    ConvertRun(ConvertRequest request,
               const pipeline::JobEnvironment &environment,
               media::VideoEdit &videoEdit,
               const QString &intermediateFolder,
               ConvertReport &report,
               ReportLog &log,
               QObject *parent = nullptr);
    ~ConvertRun() override;

    // Plans the entries and starts the first; finished comes from the event loop.
    void start();
    // Stops the running entry as Cancel does, and every waiting one.
    void stop(int signal);

Q_SIGNALS:
    void finished(int exitCode);

private:
    pipeline::JobSpec jobSpecFor(const QString &file) const;
    void follow(pipeline::Job *job);
    void ended(const pipeline::QueueSummary &summary);
    void end(int exitCode);
    void log(const pipeline::Job &job, double seconds);

    const ConvertRequest m_request;
    ConvertReport &m_report;
    ReportLog &m_log;
    QElapsedTimer m_jobClock; // since the followed entry started
    QSet<quint64> m_logged; // the entries the report file holds
    pipeline::JobQueue m_queue;
    int m_refused = 0;
    int m_signal = 0;
    bool m_ended = false;
    pipeline::Job *m_followed = nullptr; // the entry the report follows; the queue owns it
};

} // namespace cli
