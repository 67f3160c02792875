// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Job.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace pipeline {

// One entry of a saved queue: its job as captured, its state and results.
struct SavedEntry
{
    JobSpec jobSpec;
    JobState state = JobState::Waiting;
    QString failure;
    QString warning;
    bool operator==(const SavedEntry &) const = default;
};

// The saved queue, version 1, a JSON object:
//   {"format": 1, "entries": [{"source": ..., "outputFolder": ..., "outputName": ...,
//     "normalize": true, "frameCount": "", "continueWithoutAudio": true,
//     "options": {"videoBitrate": "350", ..., "codecs": "classic"},
//     "state": "waiting", "failure": "", "warning": ""}]}
// state is one of waiting, running (normalizing, encoding, writing metadata,
// grabbing pictures or cancelling when saved), done, failed, skipped,
// cancelled.
QByteArray queueToJson(const QList<SavedEntry> &entries);

struct QueueRead
{
    enum class Status { Missing, Read, Damaged, Newer, Unreadable };
    Status status = Status::Missing;
    QList<SavedEntry> entries;
};
QueueRead queueFromJson(const QByteArray &bytes);

// Whether any entry has not ended.
bool hasUnfinished(const QList<SavedEntry> &entries);

// The saved queue's file ("" : nothing is kept).
class QueueFile
{
public:
    static constexpr qint64 SizeLimit = 64 << 20;
    explicit QueueFile(QString path)
        : m_path(std::move(path))
    { }

    QString path() const { return m_path; }
    QueueRead read() const;
    // Replaces the file in one step, when it can be written.
    void write(const QList<SavedEntry> &entries) const;
    // A file that cannot be read goes beside, as path + ".bad"; false when
    // it cannot be moved.
    bool setAside() const;
    void remove() const;

private:
    QString m_path;
};

// $XDG_STATE_HOME/trovexa/queue.json (~/.local/state/trovexa/queue.json).
QString userQueuePath();

} // namespace pipeline
