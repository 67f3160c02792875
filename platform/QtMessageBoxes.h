// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MessageBoxes.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// Message boxes as QMessageBox, owned by the given window.
class QtMessageBoxes : public MessageBoxes
{
public:
    explicit QtMessageBoxes(QWidget *owner = nullptr);
    void setOwner(QWidget *owner);

    int MsgBox(const QString &prompt, int style, const QString &title) override;
    int MsgBoxWithDetails(const QString &prompt,
                          int style,
                          const QString &title,
                          const QString &details) override;
    std::optional<QString> InputBox(const QString &prompt,
                                    const QString &title,
                                    const QString &defaultText) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace platform
