// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewHost.h"

#include "AboutBox.h"
#include "FlvPlayer.h"

#include "platform/CommonDialog.h"
#include "platform/Shell.h"

#include <QLayout>
#include <QVBoxLayout>

namespace preview {

namespace {

constexpr int FlvDialogFlags = platform::DialogFlags::FileMustExist
        | platform::DialogFlags::HideReadOnly; // 4100
constexpr int FlvDialogMaxFileSize = 32000;

} // namespace

PreviewHost::PreviewHost(QWidget *swfControl,
                         platform::CommonDialog &commonDialog,
                         platform::Shell &shell,
                         QString applicationFolder,
                         QWidget *owner)
    : QObject(owner)
    , m_commonDialog(commonDialog)
    , m_shell(shell)
    , m_applicationFolder(std::move(applicationFolder))
    , m_owner(owner)
    , m_player(new FlvPlayer(swfControl))
{
    QLayout *layout = swfControl->layout();
    if (!layout) {
        layout = new QVBoxLayout(swfControl);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    layout->addWidget(m_player);
    connect(m_player, &FlvPlayer::fsCommand, this, &PreviewHost::swfControl_FSCommand);
}

QString PreviewHost::helpFile() const
{
    return m_applicationFolder + u'/' + HelpFileName;
}

void PreviewHost::swfControl_FSCommand(const QString &command, const QString &args)
{
    Q_UNUSED(command)
    Q_UNUSED(args)
    // FileName stays as the last dialog left it, so the dialog opens there.
    m_commonDialog.Flags = FlvDialogFlags;
    m_commonDialog.DialogTitle = "Open FLV File";
    m_commonDialog.MaxFileSize = FlvDialogMaxFileSize;
    m_commonDialog.Filter = "Flash Video Files|*.flv";
    if (!m_commonDialog.ShowOpen())
        return;
    m_player->SetVariable(FlvPlayer::FileVariable, m_commonDialog.FileName);
}

void PreviewHost::mnuHelpContents_Click()
{
    m_shell.open(helpFile());
}

void PreviewHost::mnuHelpAbout_Click()
{
    AboutBox frmAbout(m_shell, m_owner);
    frmAbout.exec();
}

} // namespace preview
