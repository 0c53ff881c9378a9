#include "SocketDispatcher.h"
#include "SocketTable.h"

#include <QCoreApplication>

namespace winsock {

bool SocketDispatcher::event(QEvent *event)
{
    if (event->type() != SocketMessage::eventType())
        return QObject::event(event);
    auto *message = static_cast<SocketMessage *>(event);
    if (QObject *window = SocketTable::instance().target(*message))
        QCoreApplication::sendEvent(window, message);
    return true;
}

} // namespace winsock
