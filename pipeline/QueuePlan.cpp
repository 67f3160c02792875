// SPDX-License-Identifier: GPL-3.0-or-later
#include "QueuePlan.h"

#include "JobQueue.h"
#include "SourceChoice.h"

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
                               const std::function<JobSpec(const QString &)> &specFor)
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
                plan.refused << "NO SUPPORTED VIDEOS IN: " + info.absoluteFilePath();
            continue;
        }
        const QString absolute = info.exists() ? info.absoluteFilePath() : path;
        if (pathKind(path) != PathKind::File)
            plan.refused << fileNotFound(absolute);
        else if (!offeredType(absolute))
            plan.refused << "UNSUPPORTED FILE TYPE: " + absolute;
        else
            files << absolute;
    }
    // Names distinct from the queue's and from one another.
    QSet<QString> taken;
    for (const JobSpec &spec : queued)
        taken.insert(spec.outputName);
    QList<JobSpec> specs;
    for (const QString &file : std::as_const(files)) {
        specs << specFor(file);
        specs.last().outputName = distinctOutputName(specs.last().outputName, taken);
        taken.insert(specs.last().outputName);
    }
    // A source that is the output of another entry, waiting or new, would be
    // overwritten while it waits: each output's file looked up once.
    QHash<platform::FileIdentity, QString> outputs; // file -> whose output it is
    const auto noteOutput = [&outputs](const JobSpec &spec) {
        if (const auto identity = platform::fileIdentity(spec.outputPath()))
            outputs.insert(*identity, spec.source);
    };
    for (const JobSpec &spec : queued)
        noteOutput(spec);
    for (const JobSpec &spec : std::as_const(specs))
        noteOutput(spec);
    for (const JobSpec &spec : std::as_const(specs)) {
        const auto identity = platform::fileIdentity(spec.source);
        const auto owner = identity ? outputs.constFind(*identity) : outputs.cend();
        if (owner != outputs.cend() && *owner != spec.source)
            plan.refused << "OUTPUT OF ANOTHER FILE IN THE QUEUE: " + spec.source;
        else
            plan.specs << spec;
    }
    return plan;
}

QStringList settleOutputs(JobQueue &queue, const QList<int> &rows)
{
    QSet<QString> names;
    for (int row = 0; row < queue.count(); ++row)
        names.insert(queue.at(row)->spec().outputName);
    QStringList existing;
    for (const int row : rows) {
        JobSpec spec = queue.at(row)->spec();
        if (platform::sameFile(spec.source, spec.outputPath())) {
            spec.outputName = distinctOutputName(spec.outputName, names);
            names.insert(spec.outputName);
            queue.replaceSpec(row, spec);
        }
        if (QFileInfo::exists(spec.outputPath()))
            existing << spec.outputPath();
    }
    return existing;
}

void skipExisting(JobQueue &queue, const QList<int> &rows)
{
    for (const int row : rows) {
        if (QFileInfo::exists(queue.at(row)->spec().outputPath()))
            queue.at(row)->skip();
    }
}

} // namespace pipeline
