// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Job.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace pipeline {

class JobQueue;

// An output name that none of taken has: the proposed one when it is free,
// else "clip (2).flv", "clip (3).flv" and so on.
QString distinctOutputName(const QString &proposed, const QSet<QString> &taken);

// What paths handed to a queue give: a job for each supported file, and for
// each folder, its supported files (not those of its subfolders); and the
// reasons the others cannot be added, one line each ("FILE NOT FOUND: ...",
// "UNSUPPORTED FILE TYPE: ...", "NO SUPPORTED VIDEOS IN: ...", "OUTPUT OF
// ANOTHER FILE IN THE QUEUE: ..."). Output names are distinct from the
// queue's and from one another. jobSpecFor makes a file's job with its proposed
// output name.
struct PlannedAdditions
{
    QList<JobSpec> jobSpecs;
    QStringList refused; // why, for the user
    QStringList refusedPaths; // the path of each of them
    void refuse(const QString &path, const QString &reason)
    {
        refusedPaths << path;
        refused << reason;
    }
};
PlannedAdditions planAdditions(const QStringList &paths,
                               const QList<JobSpec> &queued,
                               const std::function<JobSpec(const QString &)> &jobSpecFor);

// Before waiting entries run, once their output folders are set: an entry
// whose output would be its own source gets a distinct name. The outputs
// that exist already, of the entries in rows; those entries may replace
// them, and every other entry finds its output taken if one is there
// when its turn comes.
QStringList settleOutputs(JobQueue &queue, const QList<int> &rows);

// The entries in rows whose output is a whole FLV file are skipped; those
// whose output is damaged or half written convert it again (after
// settleOutputs).
void keepWholeOutputs(JobQueue &queue, const QList<int> &rows);

// The entries in rows whose output exists are skipped.
void skipExisting(JobQueue &queue, const QList<int> &rows);

} // namespace pipeline
