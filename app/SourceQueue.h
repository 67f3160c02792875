// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainWindowUi.h"
#include "PlatformServices.h"

#include "pipeline/JobQueue.h"

#include <QObject>
#include <QTimer>

class ProgressStrip;
class QueuePage;

// The window's queue of sources: adding files and folders to it with the
// window's options of the moment, starting it (after the checks and one
// question about outputs that exist), following the running entry on the
// status strip, and one summary at the end.
class SourceQueue : public QObject
{
    Q_OBJECT
public:
    SourceQueue(MainWindowUi &ui,
                PlatformServices &services,
                const pipeline::JobEnvironment &environment,
                ProgressStrip &strip,
                const QString &queueFile,
                QObject *parent = nullptr);
    ~SourceQueue() override;

    pipeline::JobQueue &queue() { return m_queue; }
    QueuePage *page() const { return m_page; }
    bool isRunning() const { return m_queue.isRunning(); }
    // Whether Start Encoding runs the queue: some entry waits in it.
    bool hasWaiting() const;

    // Adds files, and the supported videos of folders (not of their
    // subfolders), each with a name no other entry has; what cannot be
    // added is listed in one "Error" box.
    void add(const QStringList &paths);
    // Runs the waiting entries; false when nothing starts.
    bool start();
    void cancelCurrent() { m_queue.cancelCurrent(); }
    void cancelAll() { m_queue.cancelAll(); }

    // Once at the start: a saved queue with entries that did not end is
    // offered back (restore or discard); one that cannot be read is set
    // aside with one message. From then on the queue is saved on every
    // change, at most a few times a second, at once when an entry ends,
    // and at the end. Nothing is
    // written before this is called.
    void offerSavedQueue();

Q_SIGNALS:
    void runningChanged(bool running);
    // The run has ended; text is what its summary said.
    void finished(const QString &text);

private:
    void applyOptions(const QList<int> &rows);
    void follow(pipeline::Job *job);
    void ended(const pipeline::QueueSummary &summary);
    void showQueue();
    int msgBox(const QString &prompt, int style, const QString &title = "Error");
    void saveSoon();
    void saveNow();

    MainWindowUi &m_ui;
    PlatformServices &m_services;
    ProgressStrip &m_strip;
    pipeline::JobQueue m_queue;
    QueuePage *m_page = nullptr;
    QMetaObject::Connection m_stageConnection;
    QMetaObject::Connection m_progressConnection;
    pipeline::QueueFile m_file;
    QTimer m_saveTimer;
    bool m_saving = false; // the saved queue is this window's
};
