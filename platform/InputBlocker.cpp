#include "InputBlocker.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {

InputBlocker::InputBlocker()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

InputBlocker::~InputBlocker()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool InputBlocker::isUserInput(int eventType)
{
    switch (static_cast<QEvent::Type>(eventType)) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::ContextMenu:
    case QEvent::Close:
    case QEvent::Drop:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

bool InputBlocker::eventFilter(QObject *watched, QEvent *event)
{
    if (isUserInput(event->type())) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
