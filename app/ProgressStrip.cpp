// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressStrip.h"

#include "pipeline/TimeRemaining.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <memory>

namespace {

ProgressStrip::Clock steadyClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] {
        return timer->elapsed();
    };
}

} // namespace

ProgressStrip::ProgressStrip(QWidget *parent, Clock clock)
    : QWidget(parent)
    , m_clock(clock ? std::move(clock) : steadyClock())
    , m_stage(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_remaining(new QLabel(this))
    , m_cancel(new QPushButton(tr("Cancel"), this))
    , m_cancelAll(new QPushButton(tr("Cancel All"), this))
{
    setObjectName("ProgressStrip");
    m_stage->setObjectName("lblStage");
    m_bar->setObjectName("prgStage");
    m_remaining->setObjectName("lblRemaining");
    m_cancel->setObjectName("cmdCancelStage");
    m_cancelAll->setObjectName("cmdCancelAll");
    // What screen readers call them.
    m_stage->setAccessibleName(tr("Stage"));
    m_bar->setAccessibleName(tr("Stage progress"));
    m_remaining->setAccessibleName(tr("Time remaining"));
    m_bar->setRange(0, 100);
    m_bar->setMaximumWidth(200);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stage, 1);
    layout->addWidget(m_bar);
    layout->addWidget(m_remaining);
    layout->addWidget(m_cancel);
    layout->addWidget(m_cancelAll);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressStrip::cancelRequested);
    connect(m_cancelAll, &QPushButton::clicked, this, &ProgressStrip::cancelAllRequested);
    m_bar->hide();
    m_remaining->hide();
    m_cancel->hide();
    m_cancelAll->hide();
}

void ProgressStrip::showStage(const QString &name, bool measured)
{
    m_started = m_clock();
    m_stage->setText(name);
    m_bar->setRange(0, measured ? 100 : 0);
    m_bar->setValue(0);
    m_bar->setTextVisible(measured);
    m_remaining->clear();
    m_bar->show();
    m_remaining->setVisible(measured);
    m_cancel->show();
    m_cancelAll->setVisible(m_queue);
}

void ProgressStrip::setQueueMode(bool queue)
{
    m_queue = queue;
    m_cancelAll->setVisible(queue && m_cancel->isVisible());
}

void ProgressStrip::showProgress(double position, double length)
{
    if (length <= 0 || m_bar->maximum() == 0)
        return;
    const double done = std::clamp(position / length, 0.0, 1.0);
    m_bar->setValue(int(done * 100));
    if (done > 0) {
        const double elapsed = double(m_clock() - m_started) / 1000.0;
        const pipeline::ProgressClock clock = pipeline::wallClockProgress(elapsed, position, length);
        m_remaining->setText(pipeline::FormatTimeRemaining(clock.length - clock.position));
    }
}

QString ProgressStrip::text() const
{
    return m_stage->text();
}

void ProgressStrip::showEnd(const QString &text)
{
    m_stage->setText(text);
    m_bar->hide();
    m_remaining->hide();
    m_cancel->hide();
    m_cancelAll->hide();
}
