// SPDX-License-Identifier: GPL-3.0-or-later
#include "SplashWindow.h"

#include "preview/Pictures.h"

#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

SplashWindow::SplashWindow(int milliseconds, QWidget *parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_imgSplash(new QLabel(this))
    , m_tmrSplash(new QTimer(this))
{
    setObjectName("frmSplash");
    setModal(true);
    m_imgSplash->setObjectName("imgSplash");
    m_imgSplash->setPixmap(preview::splashPicture());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_imgSplash);

    m_tmrSplash->setObjectName("tmrSplash");
    m_tmrSplash->setSingleShot(true);
    m_tmrSplash->setInterval(milliseconds);
    connect(m_tmrSplash, &QTimer::timeout, this, &QDialog::accept);
}

int SplashWindow::exec()
{
    setResult(Rejected);
    show();
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    m_tmrSplash->start();
    // Closed already while it was being shown: nothing left to wait for.
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    m_tmrSplash->stop();
    hide();
    return result();
}
