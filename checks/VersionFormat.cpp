// SPDX-License-Identifier: GPL-3.0-or-later
#include "VersionFormat.h"

#include <QLocale>

namespace checks {

QString directXVersionText(const std::optional<QString> &storedValue)
{
    if (!storedValue || storedValue->size() < 4)
        return {};
    return storedValue->mid(3, 3);
}

std::optional<bool> meetsDirectXRequirement(const QString &versionText)
{
    bool ok = false;
    const double version = QLocale::c().toDouble(versionText.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return version >= 8.0;
}

QString FormatVersionWord(quint32 word)
{
    return QString::number(word >> 16) + u'.' + QString::number(word & 0xffff);
}

QString fileVersionText(const FixedFileInfo &info)
{
    return FormatVersionWord(info.fileVersionMS()) + u'.' + FormatVersionWord(info.fileVersionLS());
}

QString formatQuickTimeHex(const QString &hex)
{
    const QString t = hex.left(3);
    return t.left(1) + u'.' + t.mid(1, 1) + u'.' + t.right(1);
}

} // namespace checks
