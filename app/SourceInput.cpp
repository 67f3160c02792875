// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceInput.h"

#include "MainWindowUi.h"

#include "pipeline/EncodeRequest.h"
#include "pipeline/SourceChoice.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBoxes.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

SourceInput::SourceInput(MainWindowUi &ui,
                         platform::MessageBoxes &messageBoxes,
                         platform::CommonDialog &dialog,
                         Queue queue)
    : m_ui(ui)
    , m_messageBoxes(messageBoxes)
    , m_dialog(dialog)
    , m_queue(std::move(queue))
{ }

void SourceInput::take(const QString &path)
{
    m_dialog.FileName = path;
    m_ui.lblInput->setText(path);
    m_ui.txtOutFile->setText(QFileInfo(path).fileName());
    if (const std::optional<QString> proposed = pipeline::proposeOutputName(m_ui.txtOutFile->text()))
        m_ui.txtOutFile->setText(*proposed);
}

void SourceInput::choose(const QString &path)
{
    if (pipeline::pathKind(path) != pipeline::PathKind::File) {
        m_messageBoxes.MsgBox(pipeline::fileNotFound(path),
                              platform::MsgBoxStyle::Critical,
                              "Error");
        return;
    }
    take(path);
}

void SourceInput::offer(const QStringList &paths)
{
    if (paths.size() > 1 || (paths.size() == 1 && QFileInfo(paths.first()).isDir())
        || (!paths.isEmpty() && m_queue.inUse())) {
        m_queue.add(paths);
        return;
    }
    QList<pipeline::OfferedPath> offered;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        offered.append({info.exists() ? info.absoluteFilePath() : path, pipeline::pathKind(path)});
    }
    if (const std::optional<QString> problem = pipeline::sourceProblem(offered)) {
        m_messageBoxes.MsgBox(*problem, platform::MsgBoxStyle::Critical, "Error");
        return;
    }
    take(offered.first().path);
}
