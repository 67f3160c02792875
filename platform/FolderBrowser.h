// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace platform {

// The folder browser: the chosen folder's path, or an empty text when the
// user cancels.
class FolderBrowser
{
public:
    virtual ~FolderBrowser() = default;
    virtual QString BrowseForFolder(QWidget *owner, const QString &title) = 0;
};

} // namespace platform
