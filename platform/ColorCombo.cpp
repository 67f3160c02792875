// SPDX-License-Identifier: GPL-3.0-or-later
#include "ColorCombo.h"

#include <QPainter>
#include <QPixmap>

namespace platform {

ColorCombo::ColorCombo(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(false);
    setIconSize(QSize(28, 14));
}

QColor ColorCombo::toColor(quint32 value)
{
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

void ColorCombo::addColor(quint32 value, const QString &name)
{
    QPixmap swatch(iconSize());
    swatch.fill(toColor(value));
    QPainter painter(&swatch);
    painter.setPen(Qt::black);
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    painter.end();
    addItem(QIcon(swatch), name, QVariant::fromValue(value));
}

qint16 ColorCombo::selectedPosition() const
{
    return static_cast<qint16>(currentIndex());
}

bool ColorCombo::setSelectedPosition(qint16 position)
{
    if (position < 0 || position >= count()) {
        setCurrentIndex(-1);
        return false;
    }
    setCurrentIndex(position);
    return true;
}

QString ColorCombo::selectedName() const
{
    return currentIndex() < 0 ? QString() : itemText(currentIndex());
}

} // namespace platform
