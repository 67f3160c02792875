// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace platform {
class Shell;
}

namespace preview {

class LinkLabel;

// frmAbout: the About box, shown modally from the Help menu. Its web links
// open through the shell and leave the box open; Close ends it.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(platform::Shell &shell, QWidget *parent = nullptr);

public Q_SLOTS:
    void lblWebSite1_Click();
    void lblWebSite2_Click();
    void cmdClose_Click();

private:
    platform::Shell &m_shell;
    QLabel *m_imgAbout;
    QLabel *m_lblVer;
    QGroupBox *m_frame1;
    QLabel *m_lblUses;
    QLabel *m_lblAdobe;
    QLabel *m_image2;
    LinkLabel *m_lblWebSite1;
    LinkLabel *m_lblWebSite2;
    QPushButton *m_cmdClose;
};

} // namespace preview
