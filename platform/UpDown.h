// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QToolButton;

namespace platform {

// A spinner: two arrow buttons beside a text box. It holds no value of its
// own; the owner decides what a step up or down does to the text.
class UpDown : public QWidget
{
    Q_OBJECT
public:
    explicit UpDown(QWidget *parent = nullptr);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

Q_SIGNALS:
    void upClick();
    void downClick();

private:
    QToolButton *m_up;
    QToolButton *m_down;
};

} // namespace platform
