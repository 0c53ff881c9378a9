#include "SocketMessage.h"

namespace winsock {

SocketMessage::SocketMessage(SOCKET socket, unsigned message, long lParam, quint64 registration)
    : QEvent(eventType()), socket_(socket), message_(message), lParam_(lParam),
      registration_(registration)
{}

QEvent::Type SocketMessage::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

} // namespace winsock
