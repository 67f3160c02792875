// SPDX-License-Identifier: GPL-3.0-or-later
#include "PresetMenu.h"

#include "ChoicesControls.h"
#include "MainWindowUi.h"

#include "platform/MessageBoxes.h"

#include <QAction>
#include <QMenu>

using platform::MsgBoxAnswer::Yes;
using platform::MsgBoxStyle::Critical;
using platform::MsgBoxStyle::YesNoQuestion;

PresetMenu::PresetMenu(const MainWindowUi &ui,
                       platform::MessageBoxes &messageBoxes,
                       pipeline::PresetFolder folder,
                       QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_messageBoxes(messageBoxes)
    , m_folder(std::move(folder))
{
    connect(m_ui.mnuPresets, &QMenu::aboutToShow, this, &PresetMenu::refresh);
    connect(m_ui.mnuSavePreset, &QAction::triggered, this, &PresetMenu::saveCurrent);
    connect(m_ui.mnuResetOptions, &QAction::triggered, this, &PresetMenu::reset);
    m_ui.mnuSavePreset->setEnabled(!m_folder.folder().isEmpty());
    refresh();
}

void PresetMenu::refresh()
{
    qDeleteAll(m_listed);
    m_listed.clear();
    QStringList names;
    for (const pipeline::Preset &preset : pipeline::builtInPresets())
        names << preset.name;
    const QStringList own = m_folder.names();
    names << own;
    for (const QString &name : names) {
        auto *action = new QAction(name, m_ui.mnuPresets);
        m_ui.mnuPresets->insertAction(m_ui.presetsEnd, action);
        connect(action, &QAction::triggered, this, [this, name] { apply(name); });
        m_listed << action;
    }
    m_ui.mnuDeletePreset->clear();
    for (const QString &name : own) {
        m_ui.mnuDeletePreset->addAction(name, this, [this, name] { remove(name); });
    }
    m_ui.mnuDeletePreset->setEnabled(!own.isEmpty());
}

void PresetMenu::apply(const QString &name)
{
    const auto loaded = m_folder.load(name);
    if (const auto *reason = std::get_if<QString>(&loaded))
        return showError(QString("THE PRESET \"%1\" CANNOT BE USED:\r\n%2").arg(name, *reason));
    applyChoices(m_ui, std::get<pipeline::ConverterChoices>(loaded));
}

void PresetMenu::saveCurrent()
{
    const std::optional<QString> name = m_messageBoxes.InputBox("NAME OF THE PRESET:",
                                                                "Save preset",
                                                                QString());
    if (!name)
        return;
    const QString problem = pipeline::PresetFolder::nameProblem(*name);
    if (!problem.isEmpty())
        return showError("THE PRESET CANNOT BE SAVED:\r\n" + problem);
    if (m_folder.contains(*name)
        && m_messageBoxes.MsgBox(QString("REPLACE THE PRESET \"%1\"?").arg(*name),
                                 YesNoQuestion,
                                 "Confirm")
                != Yes)
        return;
    if (const auto failure = m_folder.save(*name, readChoices(m_ui)))
        showError("THE PRESET CANNOT BE SAVED:\r\n" + *failure);
}

void PresetMenu::remove(const QString &name)
{
    if (m_messageBoxes.MsgBox(QString("DELETE THE PRESET \"%1\"?").arg(name),
                              YesNoQuestion,
                              "Confirm")
        != Yes)
        return;
    if (const auto failure = m_folder.remove(name))
        showError("THE PRESET CANNOT BE DELETED:\r\n" + *failure);
}

void PresetMenu::reset()
{
    applyChoices(m_ui, pipeline::startChoices());
}

void PresetMenu::showError(const QString &prompt)
{
    m_messageBoxes.MsgBox(prompt, Critical, "Error");
}
