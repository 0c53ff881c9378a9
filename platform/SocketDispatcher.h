#pragma once

#include <QObject>

namespace winsock {

// Receives every posted socket event and hands it on to its window only if the socket's
// registration is still the one that produced it, so a closed or cancelled socket stays quiet.
class SocketDispatcher : public QObject
{
public:
    using QObject::QObject;

    bool event(QEvent *event) override;
};

} // namespace winsock
