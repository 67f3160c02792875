#include "SourceQueue.h"

#include "JobCapture.h"
#include "ProgressStrip.h"
#include "QueuePage.h"
#include "SourceInput.h"

#include "pipeline/EncodeRequest.h"
#include "pipeline/QueuePlan.h"
#include "pipeline/SourceChoice.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace pipeline;
using platform::MsgBoxStyle::Critical;

namespace {

constexpr int QueueTab = 3;

bool supportedType(const QString &path)
{
    return !sourceProblem({{path, PathKind::File}});
}

} // namespace

SourceQueue::SourceQueue(MainWindowUi &ui,
                         PlatformServices &services,
                         const JobEnvironment &environment,
                         ProgressStrip &strip,
                         QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_services(services)
    , m_strip(strip)
    , m_queue(environment, services.videoEdit, platform::userCacheFolder())
    , m_page(new QueuePage(m_queue))
{
    connect(&m_queue, &JobQueue::currentChanged, this, &SourceQueue::follow);
    connect(&m_queue, &JobQueue::idle, this, &SourceQueue::ended);
    connect(m_page, &QueuePage::applyOptionsRequested, this, &SourceQueue::applyOptions);
}

SourceQueue::~SourceQueue() = default;

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
    QStringList files, refused;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            QDir folder(info.absoluteFilePath());
            const qsizetype before = files.size();
            for (const QFileInfo &entry : folder.entryInfoList(QDir::Files, QDir::Name)) {
                if (supportedType(entry.fileName()))
                    files << entry.absoluteFilePath();
            }
            if (files.size() == before)
                refused << "NO SUPPORTED VIDEOS IN: " + info.absoluteFilePath();
            continue;
        }
        const QString absolute = info.exists() ? info.absoluteFilePath() : path;
        if (SourceInput::kindOf(path) != PathKind::File)
            refused << fileNotFound(absolute);
        else if (!supportedType(absolute))
            refused << "UNSUPPORTED FILE TYPE: " + absolute;
        else
            files << absolute;
    }
    // Names distinct from the queue's and from one another.
    QSet<QString> taken;
    for (int row = 0; row < m_queue.count(); ++row)
        taken.insert(m_queue.at(row)->spec().outputName);
    QList<JobSpec> specs;
    for (const QString &file : std::as_const(files)) {
        specs << captureJobSpec(m_ui, file);
        specs.last().outputName = distinctOutputName(specs.last().outputName, taken);
        taken.insert(specs.last().outputName);
    }
    // A source that is the output of another entry, waiting or new, would be
    // overwritten while it waits: each output's file looked up once.
    QHash<platform::FileIdentity, QString> outputs; // file -> whose output it is
    const auto noteOutput = [&outputs](const JobSpec &spec) {
        if (const auto identity = platform::fileIdentity(spec.outputPath()))
            outputs.insert(*identity, spec.source);
    };
    for (int row = 0; row < m_queue.count(); ++row)
        noteOutput(m_queue.at(row)->spec());
    for (const JobSpec &spec : std::as_const(specs))
        noteOutput(spec);
    for (const JobSpec &spec : std::as_const(specs)) {
        const auto identity = platform::fileIdentity(spec.source);
        const auto owner = identity ? outputs.constFind(*identity) : outputs.cend();
        if (owner != outputs.cend() && *owner != spec.source) {
            refused << "OUTPUT OF ANOTHER FILE IN THE QUEUE: " + spec.source;
            continue;
        }
        m_queue.enqueue(spec);
    }
    if (!files.isEmpty())
        showQueue();
    if (!refused.isEmpty())
        msgBox("THESE FILES WERE NOT ADDED:\r\n" + refused.join("\r\n"), Critical);
}

void SourceQueue::applyOptions(const QList<int> &rows)
{
    for (const int row : rows) {
        if (const Job *job = m_queue.at(row))
            m_queue.replaceSpec(row, withCurrentOptions(m_ui, job->spec()));
    }
}

bool SourceQueue::start()
{
    if (m_queue.isRunning() || !hasWaiting())
        return false;
    const QString folder = m_ui.lblOutDir->text();
    QStringList existing;
    QList<int> waiting;
    for (int row = 0; row < m_queue.count(); ++row) {
        const Job *job = m_queue.at(row);
        if (job->state() != JobState::Waiting)
            continue;
        JobSpec spec = job->spec();
        if (spec.outputFolder.isEmpty() && folder.isEmpty()) {
            msgBox("OUTPUT FOLDER MISSING!", Critical);
            m_ui.cmdOutput->setFocus();
            m_ui.sstThis->setCurrentIndex(0);
            return false;
        }
        if (spec.options.watermarkOn && spec.options.watermarkText.isEmpty()) {
            msgBox("WATERMARK TEXT MISSING!", Critical);
            m_ui.txtWatermark->setFocus();
            m_ui.sstThis->setCurrentIndex(1);
            return false;
        }
        if (spec.outputFolder.isEmpty()) {
            spec.outputFolder = folder;
            m_queue.replaceSpec(row, spec);
        }
        waiting << row;
    }
    // Names against the files themselves, now that every folder is known.
    QSet<QString> outputs;
    for (int row = 0; row < m_queue.count(); ++row)
        outputs.insert(m_queue.at(row)->spec().outputPath());
    for (const int row : std::as_const(waiting)) {
        JobSpec spec = m_queue.at(row)->spec();
        if (platform::sameFile(spec.source, spec.outputPath())) {
            QSet<QString> names;
            for (const QString &path : std::as_const(outputs))
                names.insert(QFileInfo(path).fileName());
            names.insert(spec.outputName);
            spec.outputName = distinctOutputName(spec.outputName, names);
            outputs.insert(spec.outputPath());
            m_queue.replaceSpec(row, spec);
        }
        if (QFileInfo::exists(spec.outputPath()))
            existing << spec.outputPath();
    }
    if (!existing.isEmpty()) {
        const int answer = msgBox("THESE OUTPUT FILES ALREADY EXIST:\r\n" + existing.join("\r\n")
                                          + "\r\nOVERWRITE THEM ALL? (NO SKIPS THEM.)",
                                  platform::MsgBoxStyle::YesNoCancelQuestion,
                                  "Confirm");
        if (answer == platform::MsgBoxAnswer::Cancel)
            return false;
        if (answer == platform::MsgBoxAnswer::No) {
            for (const int row : std::as_const(waiting)) {
                if (existing.contains(m_queue.at(row)->spec().outputPath()))
                    m_queue.at(row)->skip();
            }
        }
    }
    showQueue();
    Q_EMIT runningChanged(true);
    m_queue.start();
    return true;
}

void SourceQueue::follow(Job *job)
{
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
                                    const QString name = job->spec().outputName;
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
