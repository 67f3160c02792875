// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertReport.h"

#include "pipeline/JobQueue.h"

#include <QFileInfo>

namespace cli {

namespace {

using pipeline::JobState;

bool running(JobState state)
{
    return state == JobState::Normalizing || state == JobState::Encoding
            || state == JobState::WritingMetadata || state == JobState::GrabbingPictures;
}

void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

ConvertReport::ConvertReport(Streams streams)
    : m_streams(streams)
{ }

QString ConvertReport::prefix(const pipeline::Job &job) const
{
    return QString("[%1/%2] %3")
            .arg(m_position)
            .arg(m_count)
            .arg(QFileInfo(job.jobSpec().source).fileName());
}

void ConvertReport::line(const QString &text)
{
    if (m_streams.quiet)
        return;
    write(m_streams.out, (m_shown.isEmpty() ? QString() : "\r\x1b[K") + text + "\n");
    m_shown.clear();
}

void ConvertReport::inPlace(const QString &text)
{
    // Longer than the terminal, a line would wrap and no longer be rewritten.
    const QString fitted = text.left(std::max(10, m_streams.columns - 1));
    if (m_streams.quiet || fitted == m_shown)
        return;
    write(m_streams.out, "\r\x1b[K" + fitted);
    m_shown = fitted;
}

void ConvertReport::refused(const QString &reason)
{
    if (!m_shown.isEmpty() && !m_streams.quiet)
        line({});
    write(m_streams.err, "trovexa: " + reason + "\n");
}

void ConvertReport::mistake(const QString &text)
{
    write(m_streams.err, text);
}

void ConvertReport::follow(int position, int count)
{
    m_position = position;
    m_count = count;
    m_state = JobState::Waiting; // it starts after this: its first state change is shown
}

void ConvertReport::update(const pipeline::Job &job)
{
    const JobState state = job.state();
    if (m_streams.terminal) {
        if (running(state) || state == JobState::Cancelling)
            inPlace(prefix(job) + ": " + pipeline::stateText(job));
        m_state = state;
        return;
    }
    if (state == m_state)
        return;
    if (running(m_state))
        line(QString("%1: %2 %3 (%4 s)")
                     .arg(prefix(job),
                          pipeline::stateName(m_state),
                          state == JobState::Cancelling ? "stopped" : "ended")
                     .arg(m_stageClock.elapsed() / 1000.0, 0, 'f', 1));
    if (running(state)) {
        line(prefix(job) + ": " + pipeline::stateName(state) + " started");
        m_stageClock.start();
    }
    m_state = state;
}

void ConvertReport::ended(const pipeline::Job &job)
{
    update(job);
    const QString name = prefix(job);
    switch (job.state()) {
    case JobState::Done:
        line(name + ": done, " + job.jobSpec().outputPath());
        if (!job.warning().isEmpty())
            write(m_streams.err, "trovexa: " + job.jobSpec().source + ": " + job.warning() + "\n");
        break;
    case JobState::Failed:
        line(name + ": failed");
        write(m_streams.err,
              "trovexa: " + job.jobSpec().source + ": "
                      + QString(job.failure()).replace("\r\n", "\n") + "\n");
        break;
    case JobState::Skipped:
        line(name + ": skipped, " + job.warning());
        break;
    default:
        line(name + ": " + pipeline::stateText(job));
    }
}

void ConvertReport::skipped(const pipeline::Job &job, int position, int count)
{
    m_position = position;
    m_count = count;
    line(prefix(job) + ": skipped, " + job.jobSpec().outputPath() + " exists");
}

void ConvertReport::summary(int converted, int failed, int skipped, int cancelled)
{
    line(QString("%1 converted, %2 failed, %3 skipped, %4 cancelled")
                 .arg(converted)
                 .arg(failed)
                 .arg(skipped)
                 .arg(cancelled));
}

} // namespace cli
