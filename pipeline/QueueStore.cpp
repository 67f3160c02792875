// SPDX-License-Identifier: GPL-3.0-or-later
#include "QueueStore.h"

#include "JobQueue.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace pipeline {

namespace {

constexpr int Format = 1;

// The options' text fields, by key.
struct TextField
{
    const char *key;
    QString ConversionOptions::*field;
};
const TextField *textFields(qsizetype &count)
{
    using O = ConversionOptions;
    static const TextField fields[] = {{"videoBitrate", &O::videoBitrate},
                                       {"videoWindow", &O::videoWindow},
                                       {"watermarkText", &O::watermarkText},
                                       {"colorName", &O::colorName},
                                       {"fontFile", &O::fontFile},
                                       {"fontSize", &O::fontSize},
                                       {"left", &O::left},
                                       {"top", &O::top},
                                       {"alpha", &O::alpha},
                                       {"sampling", &O::sampling},
                                       {"audioBitrate", &O::audioBitrate},
                                       {"channels", &O::channels}};
    count = std::size(fields);
    return fields;
}

// A running entry's stage is of no use once the program has ended.
QString stateKey(JobState state)
{
    return state == JobState::Waiting || isFinal(state) ? stateName(state)
                                                        : QStringLiteral("running");
}

std::optional<JobState> stateOf(const QString &key)
{
    for (const JobState state : {JobState::Waiting,
                                 JobState::Encoding,
                                 JobState::Done,
                                 JobState::Failed,
                                 JobState::Skipped,
                                 JobState::Cancelled}) {
        if (stateKey(state) == key)
            return state;
    }
    return std::nullopt;
}

QJsonObject optionsObject(const ConversionOptions &o)
{
    QJsonObject object;
    qsizetype count = 0;
    const TextField *fields = textFields(count);
    for (qsizetype i = 0; i < count; ++i)
        object.insert(fields[i].key, o.*fields[i].field);
    object.insert("deInterlace", o.deInterlace);
    object.insert("watermarkOn", o.watermarkOn);
    object.insert("audioOff", o.audioOff);
    object.insert("codecs", o.codecs == FlvCodecs::H264Aac ? "h264" : "classic");
    return object;
}

// False when a field is missing or of another type.
bool readOptions(const QJsonObject &object, ConversionOptions &o)
{
    qsizetype count = 0;
    const TextField *fields = textFields(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QJsonValue value = object.value(fields[i].key);
        if (!value.isString())
            return false;
        o.*fields[i].field = value.toString();
    }
    for (const auto &[key, field] : {std::pair {"deInterlace", &ConversionOptions::deInterlace},
                                     std::pair {"watermarkOn", &ConversionOptions::watermarkOn},
                                     std::pair {"audioOff", &ConversionOptions::audioOff}}) {
        if (!object.value(key).isBool())
            return false;
        o.*field = object.value(key).toBool();
    }
    const QString codecs = object.value("codecs").toString();
    if (codecs != "h264" && codecs != "classic")
        return false;
    o.codecs = codecs == "h264" ? FlvCodecs::H264Aac : FlvCodecs::SorensonMp3;
    return true;
}

std::optional<SavedEntry> readEntry(const QJsonObject &object)
{
    SavedEntry entry;
    JobSpec &jobSpec = entry.jobSpec;
    for (const auto &[key, field] : {std::pair {"source", &JobSpec::source},
                                     std::pair {"outputFolder", &JobSpec::outputFolder},
                                     std::pair {"outputName", &JobSpec::outputName},
                                     std::pair {"frameCount", &JobSpec::frameCount}}) {
        if (!object.value(key).isString())
            return std::nullopt;
        jobSpec.*field = object.value(key).toString();
    }
    for (const auto &[key, field] :
         {std::pair {"normalize", &JobSpec::normalize},
          std::pair {"continueWithoutAudio", &JobSpec::continueWithoutAudio}}) {
        if (!object.value(key).isBool())
            return std::nullopt;
        jobSpec.*field = object.value(key).toBool();
    }
    const std::optional<JobState> state = stateOf(object.value("state").toString());
    if (jobSpec.source.isEmpty() || jobSpec.outputName.isEmpty() || !state
        || !readOptions(object.value("options").toObject(), jobSpec.options))
        return std::nullopt;
    entry.state = *state;
    entry.failure = object.value("failure").toString();
    entry.warning = object.value("warning").toString();
    return entry;
}

} // namespace

QByteArray queueToJson(const QList<SavedEntry> &entries)
{
    QJsonArray list;
    for (const SavedEntry &entry : entries) {
        const JobSpec &jobSpec = entry.jobSpec;
        list.append(QJsonObject {{"source", jobSpec.source},
                                 {"outputFolder", jobSpec.outputFolder},
                                 {"outputName", jobSpec.outputName},
                                 {"normalize", jobSpec.normalize},
                                 {"frameCount", jobSpec.frameCount},
                                 {"continueWithoutAudio", jobSpec.continueWithoutAudio},
                                 {"options", optionsObject(jobSpec.options)},
                                 {"state", stateKey(entry.state)},
                                 {"failure", entry.failure},
                                 {"warning", entry.warning}});
    }
    return QJsonDocument(QJsonObject {{"format", Format}, {"entries", list}})
            .toJson(QJsonDocument::Indented);
}

QueueRead queueFromJson(const QByteArray &bytes)
{
    QueueRead read;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonValue format = document.object().value("format");
    if (error.error != QJsonParseError::NoError || !document.isObject() || !format.isDouble()) {
        read.status = QueueRead::Status::Damaged;
        return read;
    }
    if (format.toInt() > Format) {
        read.status = QueueRead::Status::Newer;
        return read;
    }
    const QJsonValue list = document.object().value("entries");
    if (format.toInt() != Format || !list.isArray()) {
        read.status = QueueRead::Status::Damaged;
        return read;
    }
    for (const QJsonValue &value : list.toArray()) {
        const std::optional<SavedEntry> entry = readEntry(value.toObject());
        if (!entry) {
            read.entries.clear();
            read.status = QueueRead::Status::Damaged;
            return read;
        }
        read.entries << *entry;
    }
    read.status = QueueRead::Status::Read;
    return read;
}

bool hasUnfinished(const QList<SavedEntry> &entries)
{
    return std::any_of(entries.begin(), entries.end(), [](const SavedEntry &entry) {
        return !isFinal(entry.state);
    });
}

QueueRead QueueFile::read() const
{
    if (m_path.isEmpty() || !QFileInfo::exists(m_path))
        return {};
    // Read without waiting on a pipe; a file too large counts as unreadable.
    const platform::SmallFile file = platform::readSmallFile(m_path, SizeLimit);
    if (!file.problem.isEmpty())
        return {QueueRead::Status::Unreadable, {}};
    return queueFromJson(file.bytes);
}

void QueueFile::write(const QList<SavedEntry> &entries) const
{
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).path()))
        return;
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(queueToJson(entries));
        file.commit(); // a failed write leaves the earlier file whole
    }
}

bool QueueFile::setAside() const
{
    const QString bad = m_path + ".bad";
    QFile::remove(bad);
    return QFile::rename(m_path, bad);
}

void QueueFile::remove() const
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

QString userQueuePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + "/.local/state";
    return state + "/trovexa/queue.json";
}

} // namespace pipeline
