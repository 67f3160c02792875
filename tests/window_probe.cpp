// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into the real program: prints the source the window shows, once
// it shows one, the text of a message box it shows, or the sources of its
// queue ("queue: a.avi|b.avi"), and ends the program there.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTableView>
#include <QTimer>

static void printAndEnd(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
    std::_Exit(0);
}

static void probeWindow()
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                printAndEnd(box->text());
            if (auto *label = widget->findChild<QLabel *>("lblInput");
                label && !label->text().isEmpty())
                printAndEnd(label->text());
            if (auto *queue = widget->findChild<QTableView *>("lstQueue");
                queue && queue->model() && queue->model()->rowCount() > 0) {
                QStringList sources;
                for (int row = 0; row < queue->model()->rowCount(); ++row)
                    sources << queue->model()->index(row, 0).data(Qt::ToolTipRole).toString();
                printAndEnd("queue: " + sources.join(u'|'));
            }
        }
    });
    poll->start(50);
}
Q_COREAPP_STARTUP_FUNCTION(probeWindow)
