// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterChoices.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace pipeline {

// A named set of the Converter tab's choices.
struct Preset
{
    QString name;
    ConverterChoices choices;
    bool operator==(const Preset &) const = default;
};

// The presets every copy has; they cannot be replaced or deleted. The first
// holds the window's start values.
QList<Preset> builtInPresets();
std::optional<Preset> builtInPreset(const QString &name);

// A preset file: UTF-8 text, one "key=value" per line (spaces around either
// side ignored), blank lines and lines starting with "#" skipped, the keys
// of choiceEntries plus "format=1"; keys left out take the start values.
QByteArray presetFileText(const ConverterChoices &choices);
std::variant<ConverterChoices, ChoiceRefusal> readPresetText(const QByteArray &text);

// What is wrong, for a message: `unknown key "fps"`, `key "size" is given
// twice`, `key "size": 500x500 is not one of 160x120, ...`.
QString describeRefusal(const ChoiceRefusal &refusal);

// The largest preset file read; a written one is a few hundred bytes.
constexpr qint64 MaxPresetFileBytes = 64 * 1024;

// The user's presets: one file NAME.preset each in a folder, so that they
// can be copied between machines. Built-in names are not taken from files.
class PresetFolder
{
public:
    explicit PresetFolder(QString folder); // "" : the user has none
    const QString &folder() const { return m_folder; }

    // The user's preset names, sorted as a person reads them.
    QStringList names() const;
    bool contains(const QString &name) const { return names().contains(name); }

    // A built-in or user preset, or why it cannot be used: a text that
    // starts with the preset's name for a message.
    std::variant<ConverterChoices, QString> load(const QString &name) const;

    // Writes the file atomically; the failure's text otherwise.
    std::optional<QString> save(const QString &name, const ConverterChoices &choices) const;
    std::optional<QString> remove(const QString &name) const;

    // Why a name cannot be saved ("" when it can): empty, a folder's
    // separator, a leading dot, too long, or the name of a built-in one.
    static QString nameProblem(const QString &name);

private:
    QString pathOf(const QString &name) const;
    QString m_folder;
};

// Where the user's settings and presets live by default:
// $XDG_CONFIG_HOME/trovexa and its presets folder.
QString userConfigFolder();
QString userPresetFolder();

} // namespace pipeline
