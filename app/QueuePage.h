// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace pipeline {
class JobQueue;
}

// The Queue tab: the entries with their source, output and state, what
// went wrong in the selected one, and the buttons that change the list.
// Only entries that do not run are moved, removed or retried.
class QueuePage : public QWidget
{
    Q_OBJECT
public:
    explicit QueuePage(pipeline::JobQueue &queue, QWidget *parent = nullptr);

    // The rows selected, in their order.
    QList<int> selectedRows() const;

Q_SIGNALS:
    // Apply Current Options was pressed for the selected rows.
    void applyOptionsRequested(const QList<int> &rows);

private:
    void moveSelected(int step);
    void removeSelected();
    void retrySelected();
    void removeFinished();
    void showSelection();

    pipeline::JobQueue &m_queue;
    QTableView *m_list = nullptr;
    QPlainTextEdit *m_problem = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_retry = nullptr;
    QPushButton *m_apply = nullptr;
    QPushButton *m_clear = nullptr;
};
