// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommonDialog.h"
#include "FolderBrowser.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// File and folder dialogs as QFileDialog, owned by the given window.
class QtFileDialogs : public FileDialogPresenter, public FolderBrowser
{
public:
    explicit QtFileDialogs(QWidget *owner = nullptr);
    void setOwner(QWidget *owner);

    QString present(const FileDialogRequest &request) override;
    QStringList presentMany(const FileDialogRequest &request) override;
    QString BrowseForFolder(QWidget *owner, const QString &title) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace platform
