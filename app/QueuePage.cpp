// SPDX-License-Identifier: GPL-3.0-or-later
#include "QueuePage.h"

#include "pipeline/JobQueue.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

using pipeline::JobQueue;
using pipeline::JobState;

namespace {

QPushButton *button(const QString &caption, const QString &name, QWidget *parent)
{
    auto *made = new QPushButton(caption, parent);
    made->setObjectName(name);
    return made;
}

} // namespace

QueuePage::QueuePage(JobQueue &queue, QWidget *parent)
    : QWidget(parent)
    , m_queue(queue)
    , m_list(new QTableView(this))
    , m_problem(new QPlainTextEdit(this))
    , m_up(button("Move &Up", "cmdQueueUp", this))
    , m_down(button("Move &Down", "cmdQueueDown", this))
    , m_remove(button("&Remove", "cmdQueueRemove", this))
    , m_retry(button("Re&try", "cmdQueueRetry", this))
    , m_apply(button("Apply Current &Options", "cmdQueueApply", this))
    , m_clear(button("Remove &Finished", "cmdQueueClear", this))
{
    setObjectName("QueuePage");
    m_list->setObjectName("lstQueue");
    m_list->setAccessibleName("Queue");
    m_list->setModel(&m_queue);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_list->setColumnWidth(JobQueue::SourceColumn, 160);
    m_list->setColumnWidth(JobQueue::OutputColumn, 160);
    m_problem->setObjectName("txtQueueProblem");
    m_problem->setAccessibleName("What went wrong");
    m_problem->setReadOnly(true);
    m_problem->setMaximumHeight(70);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_up, m_down, m_remove, m_retry, m_apply, m_clear})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_problem);
    layout->addLayout(buttons);

    connect(m_up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(m_remove, &QPushButton::clicked, this, &QueuePage::removeSelected);
    connect(m_retry, &QPushButton::clicked, this, &QueuePage::retrySelected);
    connect(m_clear, &QPushButton::clicked, this, &QueuePage::removeFinished);
    connect(m_apply, &QPushButton::clicked, this, [this] {
        Q_EMIT applyOptionsRequested(selectedRows());
    });
    connect(m_list->selectionModel(),
            &QItemSelectionModel::selectionChanged,
            this,
            &QueuePage::showSelection);
    connect(&m_queue, &JobQueue::dataChanged, this, &QueuePage::showSelection);
}

QList<int> QueuePage::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void QueuePage::moveSelected(int step)
{
    QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    // Down from the last one, up from the first, so that moves do not cross.
    if (step > 0)
        std::reverse(rows.begin(), rows.end());
    // An entry that cannot move holds back the selected one behind it, so
    // a block that reaches an end keeps its order.
    QItemSelection moved;
    int held = -1;
    for (const int row : std::as_const(rows)) {
        const bool done = row + step != held && m_queue.move(row, step);
        const int now = done ? row + step : row;
        if (!done)
            held = row;
        moved.select(m_queue.index(now, 0), m_queue.index(now, JobQueue::ColumnCount - 1));
    }
    m_list->selectionModel()->select(moved, QItemSelectionModel::ClearAndSelect);
}

void QueuePage::removeSelected()
{
    QList<int> rows = selectedRows();
    std::reverse(rows.begin(), rows.end());
    for (const int row : std::as_const(rows))
        m_queue.remove(row);
}

void QueuePage::retrySelected()
{
    for (const int row : selectedRows())
        m_queue.retry(row);
}

void QueuePage::removeFinished()
{
    for (int row = m_queue.count() - 1; row >= 0; --row) {
        if (pipeline::isFinal(m_queue.at(row)->state()))
            m_queue.remove(row);
    }
}

void QueuePage::showSelection()
{
    const QList<int> rows = selectedRows();
    const QString problem = rows.size() == 1
            ? m_queue.data(m_queue.index(rows.first(), 0), JobQueue::ProblemRole).toString()
            : QString();
    if (problem != m_problem->toPlainText())
        m_problem->setPlainText(problem);
}
