// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommonDialog.h"

namespace platform {

CommonDialog::CommonDialog(FileDialogPresenter &presenter)
    : m_presenter(presenter)
{ }

QStringList CommonDialog::nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            if (!pattern.trimmed().isEmpty())
                patterns << pattern.trimmed();
        }
        filters << parts[i].trimmed() + " (" + patterns.join(u' ') + u')';
    }
    return filters;
}

bool CommonDialog::ShowOpen()
{
    return show(FileDialogRequest::Mode::Open);
}

bool CommonDialog::ShowSave()
{
    return show(FileDialogRequest::Mode::Save);
}

bool CommonDialog::show(FileDialogRequest::Mode mode)
{
    FileDialogRequest request;
    request.mode = mode;
    request.title = DialogTitle;
    request.initialPath = FileName;
    request.initialFolder = InitDir;
    request.nameFilters = nameFilters(Filter);
    request.fileMustExist = Flags & DialogFlags::FileMustExist;
    request.confirmOverwrite = Flags & DialogFlags::OverwritePrompt;
    request.multiple = mode == FileDialogRequest::Mode::Open
            && (Flags & DialogFlags::AllowMultiSelect);
    const QStringList chosen = request.multiple ? m_presenter.presentMany(request)
                                                : m_presenter.presentMany(request).mid(0, 1);
    if (chosen.isEmpty() || chosen.join(u'\0').size() > MaxFileSize)
        return false;
    FileNames = chosen;
    FileName = chosen.first();
    return true;
}

} // namespace platform
