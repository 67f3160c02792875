// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoEditComponent.h"

#include "platform/ProcessControl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace media {

namespace {

// Asked to quit with "q", then SIGTERM, then SIGKILL.
const platform::StopSteps StopSteps {"q",
                                     VideoEditComponent::QuitGraceMs,
                                     VideoEditComponent::TerminateGraceMs};

bool insideFolder(const QString &path, const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonicalPath = QFileInfo(path).canonicalFilePath();
    if (canonicalFolder.isEmpty() || canonicalPath.isEmpty())
        return false;
    return canonicalPath.startsWith(canonicalFolder + u'/');
}

bool samePath(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

QString findSystemFfmpeg(const QString &applicationFolder)
{
    const QStringList entries = QString::fromLocal8Bit(qgetenv("PATH")).split(u':');
    for (const QString &entry : entries) {
        const QString folder = entry.isEmpty() ? QStringLiteral(".") : entry;
        if (samePath(folder, applicationFolder))
            continue;
        const QString found = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"), {folder});
        if (!found.isEmpty() && !insideFolder(found, applicationFolder))
            return QFileInfo(found).absoluteFilePath();
    }
    return {};
}

VideoEditComponent::VideoEditComponent(QString converterProgram, QObject *parent)
    : VideoEdit(parent)
    , m_program(std::move(converterProgram))
{ }

VideoEditComponent::~VideoEditComponent()
{
    StopConversion();
    // A child still stopping ends before the component does: the program
    // never leaves a converter running behind it.
    for (QProcess *child : findChildren<QProcess *>())
        platform::finishChild(*child, StopSteps);
}

std::optional<MediaInfo> VideoEditComponent::probe(const QString &path)
{
    if (path.isEmpty())
        return MediaInfo {};
    const QFileInfo file(path);
    if (m_probed.path != path || m_probed.modified != file.lastModified()
        || m_probed.size != file.size()) {
        QString failure;
        m_probed = {path, file.lastModified(), file.size(), probeMedia(path, &failure)};
        m_probed.failure = failure.toLocal8Bit();
    }
    if (!m_probed.info)
        m_errors = m_probed.failure;
    return m_probed.info;
}

std::optional<double> VideoEditComponent::GetFileDuration(const QString &path)
{
    const auto info = probe(path);
    if (!info)
        return std::nullopt;
    return info->duration;
}

std::optional<int> VideoEditComponent::GetFileWidth(const QString &path)
{
    const auto info = probe(path);
    if (!info)
        return std::nullopt;
    return info->width;
}

std::optional<int> VideoEditComponent::GetFileHeight(const QString &path)
{
    const auto info = probe(path);
    if (!info)
        return std::nullopt;
    return info->height;
}

void VideoEditComponent::ClearClips()
{
    m_video.reset();
    m_audio.reset();
}

bool VideoEditComponent::AddVideoClip(const QString &path, double start, double &length, qint16)
{
    const auto info = probe(path);
    if (!info)
        return false;
    m_video.reset();
    if (!info->hasVideo() || path.isEmpty())
        return true;
    length = std::min(length, std::max(0.0, info->duration - start));
    if (length > 0) {
        m_video = ClipSource {path, info->videoStream, start, length, 0};
        m_videoSource = *info;
    }
    return true;
}

bool VideoEditComponent::AddAudioClip(const QString &path, double start, double &length)
{
    const auto info = probe(path);
    m_audio.reset();
    if (!info || !info->hasAudio() || path.isEmpty())
        return false;
    length = std::min(length, std::max(0.0, info->duration - start));
    if (length > 0)
        m_audio = ClipSource {path, info->audioStream, start, length, info->audioChannels};
    return true;
}

double VideoEditComponent::GetTimelineDuration()
{
    return m_video ? m_video->length : 0.0;
}

bool VideoEditComponent::SetOutputFile(const QString &path)
{
    m_outputPath.clear();
    const QFileInfo target(path);
    if (path.isEmpty() || target.isDir())
        return false;
    // Never write over a source that is queued.
    if ((m_video && samePath(path, m_video->path)) || (m_audio && samePath(path, m_audio->path)))
        return false;
    if (target.exists()) {
        QFile existing(path);
        if (!existing.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
    }
    // The child writes next to the output: try that file now.
    QFile partial(partialPath(path));
    if (!partial.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    partial.close();
    partial.remove();
    m_outputPath = path;
    return true;
}

bool VideoEditComponent::StartConversion()
{
    StopConversion();
    if (m_outputPath.isEmpty() || !m_video || m_output.width <= 0 || m_output.height <= 0
        || m_program.isEmpty())
        return false;

    ConversionJob job;
    job.output = m_output;
    job.video = *m_video;
    job.audio = m_audio;
    m_writing = m_outputPath;
    job.outputPath = partialPath(m_writing);
    job.threads = std::max(1, QThread::idealThreadCount());
    job.copyVideo = videoCopyable(m_videoSource, job.video, job.output);
    job.copiedCodec = job.copyVideo ? m_videoSource.videoCodec : QString();

    m_progress = {};
    m_length = GetTimelineDuration();
    auto *child = new QProcess(this);
    child->setProgram(m_program);
    child->setArguments(conversionArguments(job));
    platform::endWithParent(*child);
    // Standard input stays a pipe: "q" on it asks ffmpeg to quit.
    m_errors.clear();
    connect(child, &QProcess::readyReadStandardOutput, this, &VideoEditComponent::readProgress);
    connect(child, &QProcess::readyReadStandardError, this, &VideoEditComponent::readErrors);
    connect(child, &QProcess::finished, this, &VideoEditComponent::childEnded);
    connect(child, &QProcess::errorOccurred, this, &VideoEditComponent::childFailedToStart);
    m_child = child;
    child->start();
    return true;
}

QProcess *VideoEditComponent::detachChild()
{
    QProcess *child = m_child;
    m_child = nullptr;
    if (child) {
        child->disconnect(this);
        // A child still running is deleted once it has ended (or with the
        // component, which kills it).
        if (child->state() == QProcess::NotRunning)
            child->deleteLater();
        else
            connect(child, &QProcess::finished, child, &QObject::deleteLater);
    }
    return child;
}

void VideoEditComponent::StopConversion()
{
    QProcess *child = detachChild();
    if (!child)
        return;
    const QString partial = partialPath(m_writing);
    QFile::remove(partial);
    if (child->state() == QProcess::NotRunning)
        return;
    platform::stopChild(*child, StopSteps);
    // What the child writes after the removal goes once it has ended,
    // unless a new conversion writes there by then.
    connect(child, &QProcess::finished, this, [this, partial] {
        if (!m_child || partialPath(m_writing) != partial)
            QFile::remove(partial);
    });
}

void VideoEditComponent::readProgress()
{
    QProcess *child = m_child;
    if (!child)
        return;
    const double length = m_length;
    for (const double position : m_progress.feed(child->readAllStandardOutput())) {
        Q_EMIT ConversionProgress(position, length);
        if (m_child != child)
            return; // the conversion ended while the notification was handled
    }
}

void VideoEditComponent::readErrors()
{
    if (!m_child)
        return;
    m_errors += m_child->readAllStandardError();
    if (m_errors.size() > ErrorLimit)
        m_errors.remove(0, m_errors.size() - ErrorLimit);
}

void VideoEditComponent::childEnded(int exitCode, QProcess::ExitStatus status)
{
    readProgress();
    readErrors();
    if (m_child && status != QProcess::NormalExit)
        m_errors += QString("\n%1 ended abnormally\n")
                            .arg(QFileInfo(m_program).fileName())
                            .toLocal8Bit();
    else if (m_child && exitCode != 0 && m_errors.isEmpty())
        m_errors = QString("%1 ended with exit code %2\n")
                           .arg(QFileInfo(m_program).fileName())
                           .arg(exitCode)
                           .toLocal8Bit();
    if (!detachChild())
        return;
    bool complete = status == QProcess::NormalExit && exitCode == 0;
    if (complete) {
        // rename() replaces the previous output in one step.
        complete = ::rename(QFile::encodeName(partialPath(m_writing)).constData(),
                            QFile::encodeName(m_writing).constData())
                == 0;
    }
    if (!complete) {
        QFile::remove(partialPath(m_writing));
        Q_EMIT ConversionFailed();
        return;
    }
    // The whole length is written, whatever the last report said: ffmpeg's
    // closing report can come short of the end, or not at all.
    if (m_progress.position() < m_length)
        Q_EMIT ConversionProgress(m_length, m_length);
    Q_EMIT ConversionFinished();
}

void VideoEditComponent::childFailedToStart(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart || !m_child)
        return;
    m_errors = QString("%1: %2\n").arg(m_program, m_child->errorString()).toLocal8Bit();
    detachChild();
    QFile::remove(partialPath(m_writing));
    Q_EMIT ConversionFailed();
}

} // namespace media
