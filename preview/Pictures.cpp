#include "Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace preview {

namespace {

const QColor Navy(20, 34, 74);
const QColor Night(8, 12, 30);
const QColor Orange(255, 140, 0);

} // namespace

QPixmap programIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0); // drawn on a 64 x 64 grid

    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, Navy.lighter(130));
    sky.setColorAt(1, Night);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // Film perforations along the top and bottom edges.
    p.setBrush(QColor(235, 235, 235, 170));
    for (int x = 9; x < 56; x += 12) {
        p.drawRoundedRect(QRectF(x, 7, 6, 5), 1, 1);
        p.drawRoundedRect(QRectF(x, 52, 6, 5), 1, 1);
    }

    QPainterPath play;
    play.moveTo(24, 19);
    play.lineTo(46, 32);
    play.lineTo(24, 45);
    play.closeSubpath();
    p.setBrush(Orange);
    p.drawPath(play);
    p.end();
    return pixmap;
}

QPixmap creditsBadge()
{
    QPixmap pixmap(100, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Navy);
    p.drawRoundedRect(QRectF(0.5, 0.5, 99, 27), 5, 5);
    p.setBrush(Orange);
    p.drawPolygon(QPolygonF({QPointF(6, 9), QPointF(14, 14), QPointF(6, 19)}));
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(18, 3, 80, 11), Qt::AlignLeft | Qt::AlignVCenter, "FREE SOFTWARE");
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(255, 180, 60));
    p.drawText(QRect(18, 14, 80, 11), Qt::AlignLeft | Qt::AlignVCenter, "GPL \u00b7 LGPL");
    p.end();
    return pixmap;
}

} // namespace preview
