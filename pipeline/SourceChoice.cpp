// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceChoice.h"

#include <QFileInfo>

namespace pipeline {

bool offeredType(const QString &path)
{
    const QString name = path.section(u'/', -1);
    for (const QString &pattern : SourcePatterns) {
        if (name.endsWith(QStringView(pattern).mid(1), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

PathKind pathKind(const QString &path)
{
    using enum PathKind;
    const QFileInfo info(path);
    return info.isDir() ? Folder : info.isFile() ? File : info.exists() ? Special : Missing;
}

std::optional<QString> sourceProblem(const QList<OfferedPath> &offered)
{
    if (offered.size() != 1)
        return QStringLiteral("PLEASE CHOOSE ONE VIDEO FILE AT A TIME!");
    const OfferedPath &one = offered.first();
    switch (one.kind) {
    case PathKind::Missing:
    case PathKind::Special:
        return fileNotFound(one.path);
    case PathKind::Folder:
        return QStringLiteral("PLEASE CHOOSE A VIDEO FILE, NOT A FOLDER!");
    case PathKind::File:
        break;
    }
    if (!offeredType(one.path))
        return QStringLiteral("UNSUPPORTED FILE TYPE! SUPPORTED VIDEO FILES: ")
                + SourcePatterns.join(u' ');
    return std::nullopt;
}

QString fileNotFound(const QString &path)
{
    return QStringLiteral("FILE NOT FOUND: ") + path;
}

} // namespace pipeline
