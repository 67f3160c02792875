#include "BusyCursorLauncher.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

ChildOutcome BusyCursorLauncher::runToEnd(const QString &program, const QStringList &arguments)
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    const ChildOutcome outcome = m_inner.runToEnd(program, arguments);
    QGuiApplication::restoreOverrideCursor();
    return outcome;
}

} // namespace platform
