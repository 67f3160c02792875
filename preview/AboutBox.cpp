// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutBox.h"

#include "AboutText.h"
#include "LinkLabel.h"
#include "Pictures.h"

#include "platform/Shell.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace preview {

namespace {

template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

AboutBox::AboutBox(platform::Shell &shell, QWidget *parent)
    : QDialog(parent)
    , m_shell(shell)
    , m_imgAbout(named(new QLabel, "imgAbout"))
    , m_lblVer(named(new QLabel(AboutText::versionText()), "lblVer"))
    , m_frame1(named(new QGroupBox, "Frame1"))
    , m_lblUses(named(new QLabel(AboutText::Uses), "lblUses"))
    , m_lblAdobe(named(new QLabel(AboutText::attributionNotice()), "lblAdobe"))
    , m_image2(named(new QLabel, "Image2"))
    , m_lblWebSite1(named(new LinkLabel(AboutText::WebSite1), "lblWebSite1"))
    , m_lblWebSite2(named(new LinkLabel(AboutText::WebSite2), "lblWebSite2"))
    , m_cmdClose(named(new QPushButton("&Close"), "cmdClose"))
{
    setObjectName("frmAbout");
    setWindowTitle(AboutText::Caption);
    setModal(true);

    m_imgAbout->setPixmap(programIcon().pixmap(32));
    m_imgAbout->setFixedSize(32, 32);
    auto *title = new QLabel(AboutText::Caption);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    title->setFont(big);

    m_lblUses->setStyleSheet("QLabel { font-weight: bold; }");
    m_lblAdobe->setTextFormat(Qt::RichText);
    m_lblAdobe->setWordWrap(true);
    m_lblAdobe->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_lblAdobe->setOpenExternalLinks(false);
    m_lblAdobe->setMinimumWidth(440);
    connect(m_lblAdobe, &QLabel::linkActivated, this, [this](const QString &link) {
        m_shell.open(link);
    });
    m_image2->setPixmap(creditsBadge());
    m_image2->setFixedSize(100, 28);

    auto *frame = new QVBoxLayout(m_frame1);
    frame->addWidget(m_lblUses);
    frame->addWidget(m_lblAdobe);
    frame->addWidget(m_image2);
    frame->addWidget(m_lblWebSite1);
    frame->addWidget(m_lblWebSite2);

    auto *head = new QGridLayout;
    head->addWidget(m_imgAbout, 0, 0, 2, 1, Qt::AlignTop);
    head->addWidget(title, 0, 1);
    head->addWidget(m_lblVer, 1, 1);
    head->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(m_frame1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_cmdClose->setDefault(true);
    connect(m_lblWebSite1, &LinkLabel::clicked, this, &AboutBox::lblWebSite1_Click);
    connect(m_lblWebSite2, &LinkLabel::clicked, this, &AboutBox::lblWebSite2_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &AboutBox::cmdClose_Click);
}

void AboutBox::lblWebSite1_Click()
{
    m_shell.open(m_lblWebSite1->text());
}

void AboutBox::lblWebSite2_Click()
{
    m_shell.open(m_lblWebSite2->text());
}

void AboutBox::cmdClose_Click()
{
    accept();
}

} // namespace preview
