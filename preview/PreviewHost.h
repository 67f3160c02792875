// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace platform {
class CommonDialog;
class Shell;
} // namespace platform

namespace preview {

class FlvPlayer;

// The main window's side of the FLV Player tab and the Help menu. It puts
// the player into swfControl, answers the player's requests for a file with
// the window's shared file dialog, and opens the manual and the About box.
class PreviewHost : public QObject
{
    Q_OBJECT
public:
    // The manual's file name in the application folder.
    static constexpr const char *HelpFileName = "trvx_flvcn.html";

    PreviewHost(QWidget *swfControl,
                platform::CommonDialog &commonDialog,
                platform::Shell &shell,
                QString applicationFolder,
                QWidget *owner);

    FlvPlayer *swfControl() const { return m_player; }
    QString helpFile() const;

public Q_SLOTS:
    // Any request from the player, whatever its command and arguments, asks
    // for an FLV file; the chosen path goes to the player, a cancel passes
    // nothing.
    void swfControl_FSCommand(const QString &command, const QString &args);
    void mnuHelpContents_Click();
    // Shows the About box modally; it is made afresh each time.
    void mnuHelpAbout_Click();

private:
    platform::CommonDialog &m_commonDialog;
    platform::Shell &m_shell;
    QString m_applicationFolder;
    QWidget *m_owner;
    FlvPlayer *m_player;
};

} // namespace preview
