// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace preview {

// A label that shows a web address as a link: blue, underlined, a hand
// pointer, the tooltip "Visit Website", and a clicked signal.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(const QString &address, QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace preview
