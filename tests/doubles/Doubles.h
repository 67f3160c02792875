// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test doubles for the seams a person would otherwise click: message boxes,
// dialogs, the shell, notifications and the component queries.
#include "checks/ComponentPlatform.h"
#include "platform/CommonDialog.h"
#include "platform/DesktopNotifier.h"
#include "platform/FolderBrowser.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <functional>

namespace platform {

// Records every box shown and answers from a script; unanswered questions get No.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString prompt;
        int style = 0;
        QString title;
        bool operator==(const Shown &) const = default;
        // Boxes as a table row writes them: "text|style|title", separated by ";".
        static QList<Shown> fromRow(const QString &row)
        {
            QList<Shown> boxes;
            for (const QString &box : row.split(';', Qt::SkipEmptyParts))
                boxes.append({box.section('|', 0, 0),
                              box.section('|', 1, 1).toInt(),
                              box.section('|', 2)});
            return boxes;
        }
    };

    int MsgBox(const QString &prompt, int style, const QString &title) override
    {
        record({prompt, style, title});
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        const int buttons = style & 0x0f;
        return buttons == 4    ? MsgBoxAnswer::No
                : buttons == 3 ? MsgBoxAnswer::Cancel
                               : MsgBoxAnswer::Ok;
    }

    int MsgBoxWithDetails(const QString &prompt,
                          int style,
                          const QString &title,
                          const QString &details) override
    {
        const int answer = MsgBox(prompt, style, title);
        m_details.last() = details;
        return answer;
    }

    // Records the question as a box of style 0; answers from the scripted
    // texts, a cancel when none is left.
    std::optional<QString> InputBox(const QString &prompt,
                                    const QString &title,
                                    const QString &) override
    {
        record({prompt, 0, title});
        return textAnswers.isEmpty() ? std::nullopt : std::optional(textAnswers.takeFirst());
    }

    void scriptAnswers(const QList<int> &answers) { m_answers = answers; }
    QStringList textAnswers;
    const QList<Shown> &shown() const { return m_shown; }
    // The details of the box shown at that position; empty for a box without.
    QString detailsOf(qsizetype position) const { return m_details.value(position); }
    void clear() { m_shown.clear(), m_details.clear(); }

    // Runs while a box is up, to look at the program at that moment.
    std::function<void(const Shown &)> onShow;

private:
    void record(const Shown &box)
    {
        m_shown.append(box);
        m_details.append(QString());
        if (onShow)
            onShow(box);
    }

    QList<Shown> m_shown;
    QStringList m_details;
    QList<int> m_answers;
};

// Records each dialog asked for and answers from a script; an empty or missing answer is a cancel.
class ScriptedDialogs : public FileDialogPresenter, public FolderBrowser
{
public:
    QString present(const FileDialogRequest &request) override
    {
        fileRequests.append(request);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    // An answer of several files names them separated by "|".
    QStringList presentMany(const FileDialogRequest &request) override
    {
        return present(request).split(u'|', Qt::SkipEmptyParts);
    }

    QString BrowseForFolder(QWidget *, const QString &) override
    {
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }

    QList<FileDialogRequest> fileRequests;
    QStringList fileAnswers, folderAnswers;
};

class RecordingShell : public Shell
{
public:
    void open(const QString &target) override { opened.append(target); }
    QStringList opened;
};

class RecordingNotifier : public DesktopNotifier
{
public:
    void notify(const QString &title, const QString &text) override { sent.append({title, text}); }
    QList<QPair<QString, QString>> sent;
};

class FixedInstanceQuery : public InstanceQuery
{
public:
    bool anotherCopyRunning() override { return running; }
    bool running = false;
};

// Component versions as the test sets them.
class FakeComponents : public checks::ComponentPlatform
{
public:
    struct Checker : checks::QuickTimeChecker
    {
        std::optional<bool> available;
        std::optional<qint32> version;
        std::optional<bool> IsQuickTimeAvailable(int) override { return available; }
        std::optional<qint32> QuickTimeVersion() override { return version; }
    };

    std::optional<QString> directX = QString("4.09.00.0904");
    QString systemFolder = "C:\\WINDOWS\\system32";
    QString runtimeLibrary = "WMVCORE.DLL";
    checks::FixedFileInfo block;
    QString askedPath;
    bool hasChecker = false;
    Checker checker;

    std::optional<QString> directXVersionValue() override { return directX; }
    QString GetSystemFolder() override { return systemFolder; }
    QString mediaRuntimeLibrary() override { return runtimeLibrary; }
    checks::FixedFileInfo GetFileVersionFixedInfo(const QString &path) override
    {
        askedPath = path;
        return block;
    }
    std::unique_ptr<checks::QuickTimeChecker> createQuickTimeChecker() override
    {
        return hasChecker ? std::make_unique<Checker>(checker) : nullptr;
    }
};

} // namespace platform
