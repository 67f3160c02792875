// SPDX-License-Identifier: GPL-3.0-or-later
#include "PercentBar.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {

constexpr int DotsPerMeterAt96Dpi = 3780;

qint16 toInt16(double value)
{
    return static_cast<qint16>(std::nearbyint(value));
}

} // namespace

PercentBar::PercentBar(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage &PercentBar::image()
{
    if (m_image.size() != size()) {
        QImage resized = makePercentBarImage(size());
        if (!m_image.isNull())
            QPainter(&resized).drawImage(0, 0, m_image);
        m_image = resized;
    }
    return m_image;
}

void PercentBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, image());
}

QImage makePercentBarImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(DotsPerMeterAt96Dpi);
    image.setDotsPerMeterY(DotsPerMeterAt96Dpi);
    image.fill(PercentBarBackground);
    return image;
}

QString percentBarText(float percent)
{
    const float fraction = percent / 100.0f;
    return QString::number(static_cast<qint64>(std::floor(double(fraction) * 100.0 + 0.5))) + u'%';
}

void DrawPercentBar(QImage &image, const QFont &font, float percent)
{
    const QColor foreground = QColor::fromRgb(PercentBarForeground);
    const QColor background = QColor::fromRgb(PercentBarBackground);
    image.fill(background);
    const float fraction = percent / 100.0f;
    const QString text = percentBarText(percent);

    QFont crisp = font;
    crisp.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(crisp, &image);
    const qint16 w = toInt16(metrics.horizontalAdvance(text));
    const qint16 h = toInt16(metrics.height());
    const int W = image.width();
    const int H = image.height();
    const qint16 x = toInt16(W / 2.0 - w / 2.0);
    const qint16 y = toInt16(H / 2.0 - h / 2.0);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.fillRect(QRect(x, y, w, h), background);
    painter.setFont(crisp);
    painter.setPen(foreground);
    painter.drawText(x, y + metrics.ascent(), text);

    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    if (fraction > 0)
        painter.fillRect(QRect(0, 0, static_cast<int>(std::lround(W * double(fraction))), H),
                         foreground);
    else
        painter.fillRect(QRect(0, 0, W, H), background);
}

void DrawPercentBar(PercentBar &picStatus, float percent)
{
    DrawPercentBar(picStatus.image(), picStatus.font(), percent);
    picStatus.repaint();
    QCoreApplication::processEvents();
}
