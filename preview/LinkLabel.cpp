// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace preview {

LinkLabel::LinkLabel(const QString &address, QWidget *parent)
    : QLabel(address, parent)
{
    setTextFormat(Qt::PlainText);
    setStyleSheet("QLabel { color: #0000ff; text-decoration: underline; }");
    setCursor(Qt::PointingHandCursor);
    setToolTip("Visit Website");
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(address);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
        || event->key() == Qt::Key_Space) {
        Q_EMIT clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

} // namespace preview
