// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QLineEdit;

// The digit rule of the window's number boxes: a key that types a character
// other than a digit or Backspace is dropped; keys that move or act pass.
class DigitKeys : public QObject
{
    Q_OBJECT
public:
    explicit DigitKeys(QObject *parent = nullptr);

    // Applies the rule to box's key presses.
    void watch(QLineEdit *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
