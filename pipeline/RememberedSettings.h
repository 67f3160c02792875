// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterChoices.h"

#include <QByteArray>
#include <QString>

namespace pipeline {

// What the window keeps between runs.
struct Remembered
{
    ConverterChoices choices = startChoices();
    QString sourceFolder; // where Input File's dialog opens; "" : the home folder
    QString outputFolder; // as the window shows it, with its closing separator
    QByteArray windowGeometry; // as the window saved it; empty: its start place
    bool operator==(const Remembered &) const = default;
};

// How the settings file was found. Every state but Read gives the start
// values, and the next write replaces the file.
enum class SettingsState { Missing, Read, Damaged, Newer, Unreadable };

struct RememberedRead
{
    Remembered remembered;
    SettingsState state = SettingsState::Missing;
};

// The settings file, through QSettings in its INI form: "version=1", the
// Converter tab's choices in [converter] under the keys of a preset, the
// folders in [folders], the window's place in [window]. A value outside its
// list keeps its start value and the rest is taken; a folder that is gone
// is forgotten.
class SettingsFile
{
public:
    explicit SettingsFile(QString path); // "" : nothing is remembered
    const QString &path() const { return m_path; }

    RememberedRead read() const;
    // False when the file could not be written; nothing else changes then.
    bool write(const Remembered &remembered) const;

private:
    QString m_path;
};

// $XDG_CONFIG_HOME/trovexa/trovexa.conf
QString userSettingsPath();

} // namespace pipeline
