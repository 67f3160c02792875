#include "SplashWindow.h"

#include <QEventLoop>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
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
    m_imgSplash->setPixmap(picture());
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

QPixmap SplashWindow::picture()
{
    QPixmap pixmap(440, 220);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, pixmap.height());
    sky.setColorAt(0, QColor(20, 34, 74));
    sky.setColorAt(1, QColor(8, 12, 30));
    p.fillRect(pixmap.rect(), sky);

    // A strip of film frames running across the picture.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 235, 40));
    p.drawRect(0, 150, pixmap.width(), 44);
    p.setBrush(QColor(8, 12, 30));
    for (int x = 6; x < pixmap.width(); x += 22) {
        p.drawRect(x, 154, 10, 6);
        p.drawRect(x, 184, 10, 6);
    }
    p.setBrush(QColor(255, 140, 0));
    p.drawPolygon(QPolygon({QPoint(380, 30), QPoint(420, 55), QPoint(380, 80)}));

    p.setPen(Qt::white);
    QFont title("Sans Serif", 26, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(24, 28, 360, 48), Qt::AlignLeft | Qt::AlignVCenter, "Trovexa");
    QFont subtitle("Sans Serif", 14);
    p.setFont(subtitle);
    p.setPen(QColor(255, 180, 60));
    p.drawText(QRect(24, 78, 400, 30), Qt::AlignLeft | Qt::AlignVCenter, "FLV Converter");
    p.end();
    return pixmap;
}
