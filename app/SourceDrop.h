// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QWidget;

// Files dropped anywhere on an area of the window (the Converter tab) are
// handed to a receiver, as if chosen with Input File. While a job runs the
// area takes no drops.
class SourceDrop : public QObject
{
    Q_OBJECT
public:
    using Receiver = std::function<void(const QStringList &paths)>;

    SourceDrop(QWidget *area, std::function<bool()> jobRunning, Receiver receiver);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<bool()> m_jobRunning;
    Receiver m_receiver;
};
