// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PercentBar.h"

#include "pipeline/ProgressView.h"

#include <QDialog>

class QLabel;
class QPushButton;

// frmProgress: the modal window shown while a source is normalized, with
// the percentage bar, the estimated time remaining and Cancel. Cancel, the
// close box and Escape all ask the normalization to cancel; the window
// closes only when the normalization closes it.
class ProgressWindow : public QDialog, public pipeline::ProgressView
{
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget *parent = nullptr);

    void open(std::function<void()> cancelRequested) override;
    void ShowProgress(double position, double length) override;
    void closeWindow() override;

    bool isClosed() const { return m_closed; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void requestCancel();

    PercentBar *m_picStatus = nullptr;
    QLabel *m_lblRemaining = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    std::function<void()> m_cancelRequested;
    bool m_closed = false;
    bool m_cancelling = false;
};

// Makes a new progress window over parent for every normalization.
pipeline::ProgressViewFactory progressWindowFactory(QWidget *parent);
