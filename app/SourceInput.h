// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pipeline/SourceChoice.h"

#include <QStringList>

#include <functional>

struct MainWindowUi;

namespace platform {
class CommonDialog;
class MessageBoxes;
} // namespace platform

// The source file of the Converter tab. Input File, the command line and
// files dropped on the window all set it here.
class SourceInput
{
public:
    // Files that go to the queue instead of becoming the one source.
    struct Queue
    {
        std::function<bool()> inUse; // it has entries, or a conversion runs
        std::function<void(const QStringList &)> add;
    };

    SourceInput(MainWindowUi &ui,
                platform::MessageBoxes &messageBoxes,
                platform::CommonDialog &dialog,
                Queue queue);

    // Makes path the source: its label, the output name proposed from it,
    // and the file the next Input File dialog starts from.
    void take(const QString &path);

    // A file chosen in the Input File dialog becomes the source, unless it
    // is a pipe, a device or a folder: that gets the "Error" box of a
    // missing file and changes nothing.
    void choose(const QString &path);

    // Paths handed over from outside the Input File dialog, or several
    // chosen in it. One file, while the queue is not in use, becomes the
    // source when it exists and is of a type the dialog offers, and gets an
    // "Error" box otherwise; several files, folders, or anything while the
    // queue is in use go to the queue.
    void offer(const QStringList &paths);

private:
    MainWindowUi &m_ui;
    platform::MessageBoxes &m_messageBoxes;
    platform::CommonDialog &m_dialog;
    Queue m_queue;
};
