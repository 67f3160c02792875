// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

namespace pipeline {
class Job;
}

namespace cli {

// The --report file: one JSON object a line for each source as it ends,
// appended and written through at once, so that a run killed midway has
// reported every source it ended. Runs side by side may share the file:
// each line is one write to a file opened for appending.
//   {"source": "/v/a.avi", "output": "/out/a.flv", "state": "converted",
//    "seconds": 12.5, "reason": "..."}
// state is one of converted, skipped, failed, cancelled; reason comes with
// failed and skipped entries.
class ReportLog
{
public:
    // An empty path: no report. False, with the reason, when the file cannot
    // be opened for appending.
    bool open(const QString &path, QString &problem);

    // The entry's job has ended (or was skipped before it started).
    void ended(const pipeline::Job &job, double seconds);
    // A path that gave no job.
    void refused(const QString &source, const QString &reason);

private:
    void append(const QString &source,
                const QString &output,
                const QString &state,
                double seconds,
                const QString &reason);

    QFile m_file;
};

} // namespace cli
