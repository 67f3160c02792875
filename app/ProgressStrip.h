// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The strip in the status bar that shows the running stage: its name, the
// percentage done, the time remaining (from the rate so far) and a Cancel
// button. It stays visible whatever tab is shown.
class ProgressStrip : public QWidget
{
    Q_OBJECT
public:
    // Milliseconds since some fixed point; the strip measures rates with it.
    using Clock = std::function<qint64()>;

    explicit ProgressStrip(QWidget *parent = nullptr, Clock clock = {});

    // A stage has started. measured: progress will come; otherwise the bar
    // only shows that the stage is busy.
    void showStage(const QString &name, bool measured);
    // The stage has reached position of length (both in the same unit).
    void showProgress(double position, double length);
    // The job has ended; text says how ("Cancelled").
    void showEnd(const QString &text);
    // What the strip says: the stage's name, or how the job ended.
    QString text() const;
    // While a queue runs, Cancel All stops the queue beside Cancel.
    void setQueueMode(bool queue);

Q_SIGNALS:
    void cancelRequested();
    void cancelAllRequested();

private:
    Clock m_clock;
    QLabel *m_stage = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_remaining = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_cancelAll = nullptr;
    bool m_queue = false;
    qint64 m_started = 0;
};
