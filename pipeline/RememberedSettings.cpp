// SPDX-License-Identifier: GPL-3.0-or-later
#include "RememberedSettings.h"

#include "Presets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace pipeline {

namespace {

constexpr int Version = 1;
// A written file is well under a KiB; anything this large is not ours.
constexpr qint64 MaxSettingsBytes = 256 * 1024;

QString existingFolder(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

} // namespace

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{ }

RememberedRead SettingsFile::read() const
{
    const QFileInfo info(m_path);
    if (m_path.isEmpty() || !info.exists())
        return {};
    if (!info.isFile() || !info.isReadable() || info.size() > MaxSettingsBytes)
        return {{}, SettingsState::Unreadable};
    QSettings settings(m_path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return {{}, SettingsState::Damaged};
    bool number = false;
    const int version = settings.value("version").toInt(&number);
    if (!number || version < 1)
        return {{}, SettingsState::Damaged};
    if (version > Version)
        return {{}, SettingsState::Newer};

    RememberedRead read {{}, SettingsState::Read};
    ChoiceEntries entries;
    settings.beginGroup("converter");
    for (const QString &key : settings.childKeys())
        entries.append({key, settings.value(key).toString()});
    settings.endGroup();
    read.remembered.choices = readChoiceEntriesLeniently(entries);
    read.remembered.sourceFolder = existingFolder(settings.value("folders/source").toString());
    read.remembered.outputFolder = existingFolder(settings.value("folders/output").toString());
    read.remembered.windowGeometry = settings.value("window/geometry").toByteArray();
    return read;
}

bool SettingsFile::write(const Remembered &remembered) const
{
    if (m_path.isEmpty())
        return true;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    if (read().state != SettingsState::Read && QFileInfo(m_path).isFile())
        QFile::remove(m_path); // a damaged or newer file is replaced whole
    QSettings settings(m_path, QSettings::IniFormat);
    settings.clear();
    settings.setValue("version", Version);
    for (const auto &[key, value] : choiceEntries(remembered.choices))
        settings.setValue("converter/" + key, value);
    settings.setValue("folders/source", remembered.sourceFolder);
    settings.setValue("folders/output", remembered.outputFolder);
    settings.setValue("window/geometry", remembered.windowGeometry);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString userSettingsPath()
{
    return userConfigFolder() + "/trovexa.conf";
}

} // namespace pipeline
