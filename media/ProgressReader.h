// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

namespace media {

// Reads ffmpeg's "-progress" report, a stream of key=value lines in blocks
// ending with a "progress=" line, and yields the output position in seconds
// at the end of each block. A line longer than LineLimit is dropped, so a
// stream without line breaks holds no more than that in memory.
class ProgressReader
{
public:
    static constexpr qsizetype LineLimit = 4096;

    std::vector<double> feed(const QByteArray &data);
    // The last position read, 0 before any.
    double position() const { return m_position.value_or(0); }

private:
    QByteArray m_pending;
    bool m_dropping = false; // inside an over-long line
    std::optional<double> m_position;
};

} // namespace media
