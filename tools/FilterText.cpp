// SPDX-License-Identifier: GPL-3.0-or-later
#include "FilterText.h"

#include <QStringList>

namespace tools {

QString quoteOptionValue(const QString &value)
{
    QString quoted = value;
    quoted.replace("'", R"('\'')");
    return u'\'' + quoted + u'\'';
}

QString escapeForGraph(const QString &filter)
{
    QString escaped;
    escaped.reserve(filter.size() * 2);
    for (const QChar c : filter) {
        if (c == u'\\' || c == u'\'' || c == u'[' || c == u']' || c == u',' || c == u';')
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

QString drawTextFilter(const DrawText &drawText)
{
    const QString colour = QString("0x%1%2%3@%4")
                                   .arg(drawText.colour.red, 2, 16, QChar('0'))
                                   .arg(drawText.colour.green, 2, 16, QChar('0'))
                                   .arg(drawText.colour.blue, 2, 16, QChar('0'))
                                   .arg(drawText.alpha / 255.0, 0, 'f', 4)
                                   .toUpper()
                                   .replace("0X", "0x");
    const QStringList options {
            "fontfile=" + quoteOptionValue(drawText.fontFile),
            "textfile=" + quoteOptionValue(drawText.textFile),
            "expansion=none",
            "fontsize=" + QString::number(drawText.fontSize),
            "fontcolor=" + colour,
            "x=" + QString::number(drawText.left),
            "y=" + QString::number(drawText.top),
    };
    return escapeForGraph("drawtext=" + options.join(u':'));
}

} // namespace tools
