#pragma once

#include "platform/CommonDialog.h"
#include "platform/FolderBrowser.h"

#include <QList>

namespace platform {

// Test double: records each dialog asked for and answers from a script; an
// empty answer is a cancel, and so is a dialog the script does not cover.
class ScriptedDialogs : public FileDialogPresenter, public FolderBrowser
{
public:
    QString present(const FileDialogRequest &request) override
    {
        fileRequests.append(request);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }

    QString BrowseForFolder(QWidget *, const QString &title) override
    {
        folderTitles.append(title);
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }

    QList<FileDialogRequest> fileRequests;
    QStringList fileAnswers;
    QStringList folderTitles;
    QStringList folderAnswers;
};

} // namespace platform
