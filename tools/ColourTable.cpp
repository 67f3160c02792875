// SPDX-License-Identifier: GPL-3.0-or-later
#include "ColourTable.h"

#include <QList>
#include <QRegularExpression>

namespace tools {

std::optional<Rgb> lookUpColour(const QByteArray &table, const QString &name)
{
    static const QRegularExpression line(R"(^\s*(\d{1,3})\s+(\d{1,3})\s+(\d{1,3})\s+(.*?)\s*$)");
    const QString wanted = name.trimmed();
    for (const QByteArray &raw : table.split('\n')) {
        const QString text = QString::fromUtf8(raw);
        if (text.trimmed().startsWith('!'))
            continue;
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch() || match.captured(4).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        const Rgb rgb {match.captured(1).toInt(),
                       match.captured(2).toInt(),
                       match.captured(3).toInt()};
        if (rgb.red > 255 || rgb.green > 255 || rgb.blue > 255)
            continue;
        return rgb;
    }
    return std::nullopt;
}

} // namespace tools
