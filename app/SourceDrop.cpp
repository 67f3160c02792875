// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

SourceDrop::SourceDrop(QWidget *area, std::function<bool()> jobRunning, Receiver receiver)
    : QObject(area)
    , m_jobRunning(std::move(jobRunning))
    , m_receiver(std::move(receiver))
{
    // Drops go to the innermost widget that takes them; those inside the
    // area (text boxes take dropped text) are watched as well.
    area->setAcceptDrops(true);
    area->installEventFilter(this);
    for (QWidget *inner : area->findChildren<QWidget *>()) {
        if (inner->acceptDrops())
            inner->installEventFilter(this);
    }
}

bool SourceDrop::eventFilter(QObject *, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    if (!drop->mimeData()->hasUrls())
        return false;
    if (m_jobRunning()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        QStringList paths;
        for (const QUrl &url : drop->mimeData()->urls())
            paths.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
        // After the drop has ended, so that a message box does not hold up
        // the program the file came from.
        QMetaObject::invokeMethod(
                this, [this, paths] { m_receiver(paths); }, Qt::QueuedConnection);
    }
    return true;
}
