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
    QFileDialog dialog(m_owner, request.title);
    const bool open = request.mode == FileDialogRequest::Mode::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setNameFilters(request.nameFilters);
    if (!request.initialPath.isEmpty()) {
        const QFileInfo initial(request.initialPath);
        dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    } else {
        dialog.setDirectory(QDir::homePath());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString QtFileDialogs::BrowseForFolder(QWidget *owner, const QString &title)
{
    return QFileDialog::getExistingDirectory(owner ? owner : m_owner.data(),
                                             title,
                                             QDir::homePath());
}

} // namespace platform
