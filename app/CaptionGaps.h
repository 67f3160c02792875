// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QWidget>

// A caption (label or check box) whose text leaves blank gaps, with small
// boxes placed in those gaps: "Grab JPEG of 1st [10] Frames". Each box sits
// right after the given leading part of the caption's text.
class CaptionGaps : public QWidget
{
public:
    CaptionGaps(QWidget *caption, QWidget *parent = nullptr);

    // Places box after the first `prefix` of the caption's text.
    void addBox(const QString &prefix, QWidget *box);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    int textStart() const;
    void placeBoxes();

    QWidget *m_caption;
    QList<std::pair<QString, QWidget *>> m_boxes;
};
