// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportLog.h"

#include "pipeline/Job.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace cli {

using pipeline::JobState;

bool ReportLog::open(const QString &path, QString &problem)
{
    if (path.isEmpty())
        return true;
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return true;
    problem = m_file.errorString();
    return false;
}

void ReportLog::ended(const pipeline::Job &job, double seconds)
{
    const JobState state = job.state();
    const QString name = state == JobState::Done ? "converted"
            : state == JobState::Skipped         ? "skipped"
            : state == JobState::Failed          ? "failed"
                                                 : "cancelled";
    QString reason = state == JobState::Failed ? job.failure() : QString();
    if (state == JobState::Skipped)
        reason = job.warning().isEmpty() ? QStringLiteral("the output exists") : job.warning();
    append(job.jobSpec().source,
           job.jobSpec().outputPath(),
           name,
           seconds,
           reason.replace("\r\n", "\n").trimmed());
}

void ReportLog::refused(const QString &source, const QString &reason)
{
    append(source, {}, "failed", 0, reason);
}

void ReportLog::append(const QString &source,
                       const QString &output,
                       const QString &state,
                       double seconds,
                       const QString &reason)
{
    if (!m_file.isOpen())
        return;
    QJsonObject line {{"source", source},
                      {"output", output},
                      {"state", state},
                      {"seconds", std::round(seconds * 10) / 10}};
    if (!reason.isEmpty())
        line.insert("reason", reason);
    // One write a line: lines of runs sharing the file never mix.
    m_file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
}

} // namespace cli
