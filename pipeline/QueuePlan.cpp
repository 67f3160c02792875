// SPDX-License-Identifier: GPL-3.0-or-later
#include "QueuePlan.h"

#include "JobQueue.h"
#include "SourceChoice.h"

#include "media/FlvCheck.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace pipeline {

QString distinctOutputName(const QString &proposed, const QSet<QString> &taken)
{
    if (!taken.contains(proposed))
        return proposed;
    const qsizetype dot = proposed.lastIndexOf(u'.');
    const QString stem = dot > 0 ? proposed.left(dot) : proposed;
    const QString suffix = dot > 0 ? proposed.mid(dot) : QString();
    for (int number = 2;; ++number) {
        const QString name = QString("%1 (%2)%3").arg(stem).arg(number).arg(suffix);
        if (!taken.contains(name))
            return name;
    }
}

PlannedAdditions planAdditions(const QStringList &paths,
                               const QList<JobSpec> &queued,
                               const std::function<JobSpec(const QString &)> &jobSpecFor)
{
    PlannedAdditions plan;
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const qsizetype before = files.size();
            for (const QFileInfo &entry :
                 QDir(info.absoluteFilePath()).entryInfoList(QDir::Files, QDir::Name)) {
                if (offeredType(entry.fileName()))
                    files << entry.absoluteFilePath();
            }
            if (files.size() == before)
                plan.refuse(info.absoluteFilePath(),
                            "NO SUPPORTED VIDEOS IN: " + info.absoluteFilePath());
            continue;
        }
        const QString absolute = info.exists() ? info.absoluteFilePath() : path;
        if (pathKind(path) != PathKind::File)
            plan.refuse(absolute, fileNotFound(absolute));
        else if (!offeredType(absolute))
            plan.refuse(absolute, "UNSUPPORTED FILE TYPE: " + absolute);
        else
            files << absolute;
    }
    // Names distinct from the queue's and from one another.
    QSet<QString> taken;
    for (const JobSpec &jobSpec : queued)
        taken.insert(jobSpec.outputName);
    QList<JobSpec> jobSpecs;
    for (const QString &file : std::as_const(files)) {
        jobSpecs << jobSpecFor(file);
        jobSpecs.last().outputName = distinctOutputName(jobSpecs.last().outputName, taken);
        taken.insert(jobSpecs.last().outputName);
    }
    // A source that is the output of another entry, waiting or new, would be
    // overwritten while it waits: each output's file looked up once.
    QHash<platform::FileIdentity, QString> outputs; // file -> whose output it is
    const auto noteOutput = [&outputs](const JobSpec &jobSpec) {
        if (const auto identity = platform::fileIdentity(jobSpec.outputPath()))
            outputs.insert(*identity, jobSpec.source);
    };
    for (const JobSpec &jobSpec : queued)
        noteOutput(jobSpec);
    for (const JobSpec &jobSpec : std::as_const(jobSpecs))
        noteOutput(jobSpec);
    for (const JobSpec &jobSpec : std::as_const(jobSpecs)) {
        const auto identity = platform::fileIdentity(jobSpec.source);
        const auto owner = identity ? outputs.constFind(*identity) : outputs.cend();
        if (owner != outputs.cend() && *owner != jobSpec.source)
            plan.refuse(jobSpec.source, "OUTPUT OF ANOTHER FILE IN THE QUEUE: " + jobSpec.source);
        else
            plan.jobSpecs << jobSpec;
    }
    return plan;
}

QStringList settleOutputs(JobQueue &queue, const QList<int> &rows)
{
    QSet<QString> names;
    for (int row = 0; row < queue.count(); ++row)
        names.insert(queue.at(row)->jobSpec().outputName);
    QStringList existing;
    for (const int row : rows) {
        JobSpec jobSpec = queue.at(row)->jobSpec();
        if (platform::sameFile(jobSpec.source, jobSpec.outputPath())) {
            jobSpec.outputName = distinctOutputName(jobSpec.outputName, names);
            names.insert(jobSpec.outputName);
            queue.replaceSpec(row, jobSpec);
        }
        const bool there = QFileInfo::exists(jobSpec.outputPath());
        if (there)
            existing << jobSpec.outputPath();
        jobSpec.existing = there ? ExistingOutput::Replace : ExistingOutput::Absent;
        queue.replaceSpec(row, jobSpec);
    }
    return existing;
}

void keepWholeOutputs(JobQueue &queue, const QList<int> &rows)
{
    for (const int row : rows) {
        JobSpec jobSpec = queue.at(row)->jobSpec();
        if (jobSpec.existing == ExistingOutput::Absent)
            continue;
        if (media::isWholeFlv(jobSpec.outputPath())) {
            queue.at(row)->skip(Job::WholeOutputThere);
        } else {
            jobSpec.existing = ExistingOutput::KeepWhole;
            queue.replaceSpec(row, jobSpec);
        }
    }
}

void skipExisting(JobQueue &queue, const QList<int> &rows)
{
    for (const int row : rows) {
        if (QFileInfo::exists(queue.at(row)->jobSpec().outputPath()))
            queue.at(row)->skip();
    }
}

} // namespace pipeline
