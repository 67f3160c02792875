// SPDX-License-Identifier: GPL-3.0-or-later
#include "Presets.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace pipeline {

namespace {

const QString Extension = ".preset";
const QString FormatKey = "format";
const QString Format = "1";
constexpr int MaxNameLength = 80;

} // namespace

QList<Preset> builtInPresets()
{
    ConverterChoices h264 = startChoices();
    h264.videoWindow = "640x360";
    h264.videoBitrate = "800";
    h264.codecs = FlvCodecs::H264Aac;
    h264.sampling = "44100";
    h264.audioBitrate = "128";
    h264.channels = "Stereo";
    return {{"Classic web video", startChoices()}, {"H.264 for today's players", h264}};
}

std::optional<Preset> builtInPreset(const QString &name)
{
    for (const Preset &preset : builtInPresets()) {
        if (preset.name == name)
            return preset;
    }
    return std::nullopt;
}

QByteArray presetFileText(const ConverterChoices &choices)
{
    QString text = "# Trovexa FLV Converter preset\n" + FormatKey + "=" + Format + "\n";
    for (const auto &[key, value] : choiceEntries(choices))
        text += key + "=" + value + "\n";
    return text.toUtf8();
}

std::variant<ConverterChoices, ChoiceRefusal> readPresetText(const QByteArray &bytes)
{
    ChoiceEntries entries;
    bool formatSeen = false;
    for (const QString &raw : QString::fromUtf8(bytes).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const QString key = equals < 0 ? line : line.left(equals).trimmed();
        const QString value = equals < 0 ? QString() : line.mid(equals + 1).trimmed();
        if (equals < 0)
            return ChoiceRefusal {ChoiceRefusal::Kind::UnknownKey, key, value};
        if (key == FormatKey) {
            if (formatSeen)
                return ChoiceRefusal {ChoiceRefusal::Kind::Repeated, key, value};
            if (value != Format)
                return ChoiceRefusal {ChoiceRefusal::Kind::NotAllowed, key, value};
            formatSeen = true;
            continue;
        }
        entries.append({key, value});
    }
    return readChoiceEntries(entries);
}

QString describeRefusal(const ChoiceRefusal &refusal)
{
    switch (refusal.kind) {
    case ChoiceRefusal::Kind::UnknownKey:
        return QString("unknown key \"%1\"").arg(refusal.key);
    case ChoiceRefusal::Kind::Repeated:
        return QString("key \"%1\" is given twice").arg(refusal.key);
    case ChoiceRefusal::Kind::NotAllowed:
        break;
    }
    const QStringList allowed = refusal.key == FormatKey ? QStringList {Format}
                                                         : allowedChoiceValues(refusal.key);
    const QString list = refusal.key == "image-count" ? QString("a number from 1 to 99")
                                                      : "one of " + allowed.join(", ");
    return QString("key \"%1\": \"%2\" is not %3").arg(refusal.key, refusal.value, list);
}

PresetFolder::PresetFolder(QString folder)
    : m_folder(std::move(folder))
{ }

QString PresetFolder::pathOf(const QString &name) const
{
    return m_folder + u'/' + name + Extension;
}

QStringList PresetFolder::names() const
{
    if (m_folder.isEmpty())
        return {};
    QStringList names;
    const QFileInfoList files = QDir(m_folder).entryInfoList({"*" + Extension},
                                                             QDir::Files | QDir::Readable);
    for (const QFileInfo &file : files) {
        const QString name = file.fileName().chopped(Extension.size());
        if (nameProblem(name).isEmpty())
            names << name;
    }
    // The C locale's collation ignores numeric mode: "clip10" would come before "Clip2".
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);
    return names;
}

std::variant<ConverterChoices, QString> PresetFolder::load(const QString &name) const
{
    if (const auto builtIn = builtInPreset(name))
        return builtIn->choices;
    const QString path = pathOf(name);
    const QFileInfo info(path);
    if (m_folder.isEmpty() || !info.exists())
        return QString("there is no preset \"%1\"").arg(name);
    QFile file(path);
    if (!info.isFile() || info.size() > MaxPresetFileBytes || !file.open(QIODevice::ReadOnly))
        return QString("the preset file %1 cannot be read").arg(path);
    const auto read = readPresetText(file.read(MaxPresetFileBytes + 1));
    if (const auto *refusal = std::get_if<ChoiceRefusal>(&read))
        return QString("the preset file %1: %2").arg(path, describeRefusal(*refusal));
    return std::get<ConverterChoices>(read);
}

std::optional<QString> PresetFolder::save(const QString &name, const ConverterChoices &choices) const
{
    const QString problem = nameProblem(name);
    if (!problem.isEmpty())
        return problem;
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
        return QString("the preset folder %1 cannot be made").arg(m_folder);
    QSaveFile file(pathOf(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(presetFileText(choices)) < 0
        || !file.commit())
        return QString("the preset file %1 cannot be written: %2")
                .arg(file.fileName(), file.errorString());
    return std::nullopt;
}

std::optional<QString> PresetFolder::remove(const QString &name) const
{
    if (builtInPreset(name))
        return QString("the preset \"%1\" is built in").arg(name);
    QFile file(pathOf(name));
    if (m_folder.isEmpty() || !file.remove())
        return QString("the preset file %1 cannot be removed: %2")
                .arg(pathOf(name), file.errorString());
    return std::nullopt;
}

QString PresetFolder::nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return "a preset needs a name";
    if (name != name.trimmed())
        return "a preset's name cannot start or end with a space";
    if (name.contains(u'/') || name.contains(QChar(0)) || name.startsWith(u'.'))
        return QString("a preset's name cannot hold \"/\" or start with \".\": %1").arg(name);
    if (name.size() > MaxNameLength)
        return QString("a preset's name has at most %1 characters").arg(MaxNameLength);
    for (const Preset &builtIn : builtInPresets()) {
        if (builtIn.name.compare(name, Qt::CaseInsensitive) == 0)
            return QString("\"%1\" is the name of a built-in preset").arg(builtIn.name);
    }
    return {};
}

QString userConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/trovexa";
}

QString userPresetFolder()
{
    return userConfigFolder() + "/presets";
}

} // namespace pipeline
