// SPDX-License-Identifier: GPL-3.0-or-later
#include "DigitKeys.h"

#include "watermark/InputRules.h"

#include <QKeyEvent>
#include <QLineEdit>

DigitKeys::DigitKeys(QObject *parent)
    : QObject(parent)
{ }

void DigitKeys::watch(QLineEdit *box)
{
    box->installEventFilter(this);
}

bool DigitKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watermark::typesCharacter(key->key(), key->modifiers(), key->text())
            && !watermark::digitFilterAccepts(key->text().front().unicode()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
