// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressReader.h"

#include <utility>

namespace media {

std::vector<double> ProgressReader::feed(const QByteArray &data)
{
    std::vector<double> positions;
    m_pending += data;
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        if (std::exchange(m_dropping, false))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals);
        const QByteArray value = line.mid(equals + 1);
        if (key == "out_time_us") {
            bool ok = false;
            const qint64 micro = value.toLongLong(&ok);
            if (ok && micro >= 0)
                m_position = micro / 1e6;
        } else if (key == "progress") {
            if (m_position)
                positions.push_back(*m_position);
        }
    }
    if (m_pending.size() > LineLimit) {
        m_pending.clear();
        m_dropping = true;
    }
    return positions;
}

} // namespace media
