// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceQueue.h"

#include "JobCapture.h"
#include "ProgressStrip.h"
#include "QueuePage.h"

#include "pipeline/EncodeRequest.h"
#include "pipeline/QueuePlan.h"
#include "pipeline/SourceChoice.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace pipeline;
using platform::MsgBoxStyle::Critical;

namespace {

constexpr int QueueTab = 3;

} // namespace

SourceQueue::SourceQueue(MainWindowUi &ui,
                         PlatformServices &services,
                         const JobEnvironment &environment,
                         ProgressStrip &strip,
                         const QString &queueFile,
                         QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_services(services)
    , m_strip(strip)
    , m_queue(environment, services.videoEdit, platform::userCacheFolder())
    , m_page(new QueuePage(m_queue))
    , m_file(queueFile)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(300);
    connect(&m_saveTimer, &QTimer::timeout, this, &SourceQueue::saveNow);
    connect(&m_queue, &JobQueue::rowsInserted, this, &SourceQueue::saveSoon);
    connect(&m_queue, &JobQueue::rowsRemoved, this, &SourceQueue::saveSoon);
    connect(&m_queue, &JobQueue::rowsMoved, this, &SourceQueue::saveSoon);
    connect(&m_queue, &JobQueue::dataChanged, this, &SourceQueue::saveSoon);
    connect(&m_queue, &JobQueue::modelReset, this, &SourceQueue::saveSoon);
    connect(&m_queue, &JobQueue::currentChanged, this, &SourceQueue::follow);
    connect(&m_queue, &JobQueue::idle, this, &SourceQueue::ended);
    connect(m_page, &QueuePage::applyOptionsRequested, this, &SourceQueue::applyOptions);
}

SourceQueue::~SourceQueue()
{
    if (m_saveTimer.isActive())
        saveNow();
}

void SourceQueue::offerSavedQueue()
{
    if (m_saving || m_file.path().isEmpty())
        return;
    m_saving = true;
    const QueueRead read = m_file.read();
    if (read.status == QueueRead::Status::Missing)
        return;
    if (read.status != QueueRead::Status::Read) {
        QString kept = m_file.path() + ".bad";
        if (!m_file.setAside()) { // it stays, and this session saves none over it
            kept = m_file.path();
            m_file = pipeline::QueueFile({});
        }
        msgBox("THE QUEUE OF YOUR LAST SESSION COULD NOT BE READ. IT IS KEPT AS:\r\n" + kept,
               Critical);
        return;
    }
    if (!hasUnfinished(read.entries)) {
        m_file.remove();
        return;
    }
    const int answer = msgBox("THE QUEUE OF YOUR LAST SESSION HAS ENTRIES THAT DID NOT END.\r\n"
                              "RESTORE IT? (NO DISCARDS IT.)",
                              platform::MsgBoxStyle::YesNoQuestion,
                              "Confirm");
    if (answer != platform::MsgBoxAnswer::Yes) {
        m_file.remove();
        return;
    }
    m_queue.restore(read.entries);
    if (m_queue.count() > 0)
        showQueue();
}

void SourceQueue::saveSoon()
{
    if (m_saving && !m_saveTimer.isActive())
        m_saveTimer.start();
}

void SourceQueue::saveNow()
{
    m_saveTimer.stop();
    if (!m_saving)
        return;
    const QList<SavedEntry> entries = m_queue.savedEntries();
    if (entries.isEmpty())
        m_file.remove();
    else
        m_file.write(entries);
}

int SourceQueue::msgBox(const QString &prompt, int style, const QString &title)
{
    return m_services.messageBoxes.MsgBox(prompt, style, title);
}

bool SourceQueue::hasWaiting() const
{
    for (int row = 0; row < m_queue.count(); ++row) {
        if (m_queue.at(row)->state() == JobState::Waiting)
            return true;
    }
    return false;
}

void SourceQueue::showQueue()
{
    m_ui.sstThis->setTabVisible(QueueTab, true);
    m_ui.sstThis->setCurrentIndex(QueueTab);
}

void SourceQueue::add(const QStringList &paths)
{
    QList<JobSpec> queued;
    for (int row = 0; row < m_queue.count(); ++row)
        queued << m_queue.at(row)->jobSpec();
    const PlannedAdditions plan = planAdditions(paths, queued, [this](const QString &file) {
        return captureJobSpec(m_ui, file);
    });
    for (const JobSpec &jobSpec : plan.jobSpecs)
        m_queue.enqueue(jobSpec);
    if (!plan.jobSpecs.isEmpty())
        showQueue();
    if (!plan.refused.isEmpty())
        msgBox("THESE FILES WERE NOT ADDED:\r\n" + plan.refused.join("\r\n"), Critical);
}

void SourceQueue::applyOptions(const QList<int> &rows)
{
    for (const int row : rows) {
        if (const Job *job = m_queue.at(row))
            m_queue.replaceSpec(row, withCurrentOptions(m_ui, job->jobSpec()));
    }
}

bool SourceQueue::start()
{
    if (m_queue.isRunning() || !hasWaiting())
        return false;
    const QString folder = m_ui.lblOutDir->text();
    QList<int> waiting;
    for (int row = 0; row < m_queue.count(); ++row) {
        const Job *job = m_queue.at(row);
        if (job->state() != JobState::Waiting)
            continue;
        JobSpec jobSpec = job->jobSpec();
        if (jobSpec.outputFolder.isEmpty() && folder.isEmpty()) {
            msgBox("OUTPUT FOLDER MISSING!", Critical);
            m_ui.cmdOutput->setFocus();
            m_ui.sstThis->setCurrentIndex(0);
            return false;
        }
        if (jobSpec.options.watermarkOn && jobSpec.options.watermarkText.isEmpty()) {
            msgBox("WATERMARK TEXT MISSING!", Critical);
            m_ui.txtWatermark->setFocus();
            m_ui.sstThis->setCurrentIndex(1);
            return false;
        }
        if (jobSpec.outputFolder.isEmpty()) {
            jobSpec.outputFolder = folder;
            m_queue.replaceSpec(row, jobSpec);
        }
        waiting << row;
    }
    // Names against the files themselves, now that every folder is known.
    const QStringList existing = settleOutputs(m_queue, waiting);
    if (!existing.isEmpty()) {
        const int answer = msgBox("THESE OUTPUT FILES ALREADY EXIST:\r\n" + existing.join("\r\n")
                                          + "\r\nOVERWRITE THEM ALL? (NO SKIPS THEM.)",
                                  platform::MsgBoxStyle::YesNoCancelQuestion,
                                  "Confirm");
        if (answer == platform::MsgBoxAnswer::Cancel)
            return false;
        if (answer == platform::MsgBoxAnswer::No)
            skipExisting(m_queue, waiting);
    }
    showQueue();
    Q_EMIT runningChanged(true);
    m_queue.start();
    return true;
}

void SourceQueue::follow(Job *job)
{
    // An entry has ended (or the queue has): that is on disk before the
    // next one starts, so a window killed from here on keeps it.
    saveNow();
    disconnect(m_stageConnection);
    disconnect(m_progressConnection);
    if (!job)
        return;
    const int row = m_queue.rowOf(job->id());
    const QString position = QString(" (%1 of %2)").arg(row + 1).arg(m_queue.count());
    m_stageConnection = connect(job,
                                &Job::stageStarted,
                                this,
                                [this, job, position](PipelineStage stage,
                                                      const QString &command,
                                                      bool measured) {
                                    if (!command.isEmpty())
                                        m_ui.txtApp->setText(command);
                                    const QString name = job->jobSpec().outputName;
                                    const QString what = stage == PipelineStage::Normalize
                                            ? "Normalizing "
                                            : stage == PipelineStage::Encode ? "Encoding "
                                            : stage == PipelineStage::Metadata
                                            ? "Writing metadata of "
                                            : "Grabbing pictures of ";
                                    m_strip.showStage(what + name + position, measured);
                                });
    m_progressConnection = connect(job, &Job::progressed, &m_strip, &ProgressStrip::showProgress);
}

void SourceQueue::ended(const QueueSummary &summary)
{
    const QString text = summaryText(summary);
    m_strip.showEnd(QString("Queue finished: %1 converted, %2 failed")
                            .arg(summary.converted)
                            .arg(summary.failed));
    Q_EMIT runningChanged(false);
    Q_EMIT finished(text);
}
