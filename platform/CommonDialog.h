// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Flags of the file dialog, with the values the program has always used.
namespace DialogFlags {
constexpr int OverwritePrompt = 2;
constexpr int HideReadOnly = 4;
constexpr int AllowMultiSelect = 512;
constexpr int FileMustExist = 4096;
} // namespace DialogFlags

// What a file dialog is asked to show.
struct FileDialogRequest
{
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    QString initialPath;
    QStringList nameFilters; // "Description (*.a *.b)"
    bool fileMustExist = false;
    bool confirmOverwrite = false;
    bool multiple = false; // several existing files may be chosen
    QString initialFolder = {}; // where to open when there is no initial path
    bool operator==(const FileDialogRequest &) const = default;
};

// Shows a file dialog; returns the chosen path, or an empty text when the
// user cancels.
class FileDialogPresenter
{
public:
    virtual ~FileDialogPresenter() = default;
    virtual QString present(const FileDialogRequest &request) = 0;
    // The same for a dialog that takes several files: all the chosen paths,
    // none when the user cancels.
    virtual QStringList presentMany(const FileDialogRequest &request)
    {
        const QString one = present(request);
        return one.isEmpty() ? QStringList() : QStringList {one};
    }
};

// The window's one file dialog object. It keeps its settings and the last
// chosen file name between uses, so a dialog that does not reset FileName
// starts from the path chosen last by any of the window's dialogs.
class CommonDialog
{
public:
    explicit CommonDialog(FileDialogPresenter &presenter);

    QString FileName;
    QStringList FileNames; // every file chosen last (AllowMultiSelect); FileName is the first
    QString DialogTitle;
    QString InitDir; // where the dialog opens while FileName is empty
    QString Filter; // "Description|*.a;*.b|Description|*.c"
    int Flags = 0;
    int MaxFileSize = 260;

    // True when the user chose a file; FileName then holds its full path.
    // A cancel leaves FileName as it was.
    bool ShowOpen();
    bool ShowSave();

    // "Desc|*.a;*.b|Other| *.c" as name filters "Desc (*.a *.b)", "Other (*.c)".
    static QStringList nameFilters(const QString &filter);

private:
    bool show(FileDialogRequest::Mode mode);

    FileDialogPresenter &m_presenter;
};

} // namespace platform
