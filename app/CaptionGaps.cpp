// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionGaps.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>

CaptionGaps::CaptionGaps(QWidget *caption, QWidget *parent)
    : QWidget(parent)
    , m_caption(caption)
{
    m_caption->setParent(this);
}

void CaptionGaps::addBox(const QString &prefix, QWidget *box)
{
    box->setParent(this);
    m_boxes.append({prefix, box});
    placeBoxes();
}

int CaptionGaps::textStart() const
{
    if (auto *check = qobject_cast<QCheckBox *>(m_caption)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = check->text();
        return check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check).left();
    }
    if (auto *label = qobject_cast<QLabel *>(m_caption))
        return label->contentsMargins().left() + qMax(0, label->indent()) + label->margin();
    return 0;
}

QSize CaptionGaps::sizeHint() const
{
    QSize size = m_caption->sizeHint();
    for (const auto &[prefix, box] : m_boxes)
        size.setHeight(qMax(size.height(), box->sizeHint().height()));
    return size;
}

void CaptionGaps::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeBoxes();
}

bool CaptionGaps::event(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange
        || event->type() == QEvent::Polish)
        placeBoxes();
    return QWidget::event(event);
}

void CaptionGaps::placeBoxes()
{
    const QSize area = size().expandedTo(sizeHint());
    m_caption->setGeometry(0,
                           (area.height() - m_caption->sizeHint().height()) / 2,
                           m_caption->sizeHint().width(),
                           m_caption->sizeHint().height());
    const QFontMetrics metrics = m_caption->fontMetrics();
    for (const auto &[prefix, box] : std::as_const(m_boxes)) {
        const int x = textStart() + metrics.horizontalAdvance(prefix);
        const int h = box->sizeHint().height();
        box->setGeometry(x,
                         (area.height() - h) / 2,
                         box->maximumWidth() < QWIDGETSIZE_MAX ? box->maximumWidth()
                                                               : box->sizeHint().width(),
                         h);
        box->raise();
    }
}
