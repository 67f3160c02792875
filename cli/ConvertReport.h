// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pipeline/Job.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace cli {

// What a `--convert` run prints. Progress goes to standard output: on a
// terminal one line a file, rewritten in place (stage, percent, time
// remaining); elsewhere one line at each stage's start and end, so that a
// log stays readable. Failures go to standard error, always.
class ConvertReport
{
public:
    struct Streams
    {
        std::FILE *out = stdout;
        std::FILE *err = stderr;
        bool terminal = false; // out is a terminal
        int columns = 80; // its width
        bool quiet = false; // failures only
    };

    explicit ConvertReport(Streams streams);

    // A path that gives no job, and why.
    void refused(const QString &reason);
    // An entry's job starts; position counts from 1.
    void follow(int position, int count);
    // The followed job's state or progress has changed.
    void update(const pipeline::Job &job);
    // The followed job has ended.
    void ended(const pipeline::Job &job);
    // A skipped entry, which never starts.
    void skipped(const pipeline::Job &job, int position, int count);
    // The last line: how many of each.
    void summary(int converted, int failed, int skipped, int cancelled);
    // A mistake that stops the run before it starts.
    void mistake(const QString &text);

private:
    QString prefix(const pipeline::Job &job) const;
    void line(const QString &text); // a whole line, after any line in place
    void inPlace(const QString &text);

    Streams m_streams;
    int m_position = 0;
    int m_count = 0;
    pipeline::JobState m_state = pipeline::JobState::Waiting;
    QString m_shown; // the line in place now; "" when none
    QElapsedTimer m_stageClock;
};

} // namespace cli
