// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtMessageBoxes.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace platform {

QtMessageBoxes::QtMessageBoxes(QWidget *owner)
    : m_owner(owner)
{ }

void QtMessageBoxes::setOwner(QWidget *owner)
{
    m_owner = owner;
}

int QtMessageBoxes::MsgBox(const QString &prompt, int style, const QString &title)
{
    return MsgBoxWithDetails(prompt, style, title, {});
}

int QtMessageBoxes::MsgBoxWithDetails(const QString &prompt,
                                      int style,
                                      const QString &title,
                                      const QString &details)
{
    const int buttons = style & 0x0f;
    const int icon = style & 0xf0;

    // Over a modal window (the progress window) the box belongs to that window.
    QWidget *owner = QApplication::activeModalWidget();
    QMessageBox box(owner ? owner : m_owner.data());
    box.setWindowTitle(title);
    box.setText(prompt);
    if (!details.isEmpty())
        box.setDetailedText(details);
    switch (icon) {
    case MsgBoxStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case 32:
        box.setIcon(QMessageBox::Question);
        break;
    case 48:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgBoxStyle::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (buttons == 4) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else if (buttons == 3) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgBoxAnswer::Yes;
    case QMessageBox::No:
        return MsgBoxAnswer::No;
    case QMessageBox::Cancel:
        return MsgBoxAnswer::Cancel;
    default:
        return MsgBoxAnswer::Ok;
    }
}

std::optional<QString> QtMessageBoxes::InputBox(const QString &prompt,
                                                const QString &title,
                                                const QString &defaultText)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(m_owner,
                                               title,
                                               prompt,
                                               QLineEdit::Normal,
                                               defaultText,
                                               &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

} // namespace platform
