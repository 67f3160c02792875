// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Ctrl-C (SIGINT), SIGTERM and SIGHUP, taken from the event loop instead of
// ending the process: each arrives as stopRequested. One object at a time;
// the signals' earlier handling comes back when it goes.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // False when the signals could not be taken (they then end the process).
    bool isActive() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void stopRequested(int signal);

private:
    void readSignals();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
