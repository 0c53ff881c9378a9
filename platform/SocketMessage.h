#pragma once

#include "WinSock.h"

#include <QEvent>

namespace winsock {

// One socket event for the window: wParam is the socket, lParam the event word (low 16 bits
// the event, high 16 bits the error code).
class SocketMessage : public QEvent
{
public:
    SocketMessage(SOCKET socket, unsigned message, long lParam, quint64 registration);

    static QEvent::Type eventType();

    SOCKET socket() const { return socket_; }
    unsigned message() const { return message_; }
    long lParam() const { return lParam_; }
    int selectEvent() const { return int(lParam_ & 0xffff); }
    int selectError() const { return int((lParam_ >> 16) & 0xffff); }
    // The registration that produced the event; stale ones are dropped before delivery.
    quint64 registration() const { return registration_; }

private:
    SOCKET socket_;
    unsigned message_;
    long lParam_;
    quint64 registration_;
};

} // namespace winsock
