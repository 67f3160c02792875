// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace platform {

QtFileDialogs::QtFileDialogs(QWidget *owner)
    : m_owner(owner)
{ }

void QtFileDialogs::setOwner(QWidget *owner)
{
    m_owner = owner;
}

QString QtFileDialogs::present(const FileDialogRequest &request)
{
    return presentMany(request).value(0);
}

QStringList QtFileDialogs::presentMany(const FileDialogRequest &request)
{
    QFileDialog dialog(m_owner, request.title);
    const bool open = request.mode == FileDialogRequest::Mode::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.multiple                ? QFileDialog::ExistingFiles
                               : request.fileMustExist ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setNameFilters(request.nameFilters);
    if (!request.initialPath.isEmpty()) {
        const QFileInfo initial(request.initialPath);
        dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    } else if (!request.initialFolder.isEmpty()) {
        dialog.setDirectory(request.initialFolder);
    } else {
        dialog.setDirectory(QDir::homePath());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtFileDialogs::BrowseForFolder(QWidget *owner, const QString &title)
{
    return QFileDialog::getExistingDirectory(owner ? owner : m_owner.data(),
                                             title,
                                             QDir::homePath());
}

} // namespace platform
