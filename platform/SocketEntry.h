#pragma once

#include "WinSock.h"

#include <QPointer>

#include <memory>

class QSocketNotifier;

namespace winsock {

// One socket of the handle table: its descriptor, its registration and the notifiers that
// turn readiness into one posted event per occurrence, the way Windows reports them.
class SocketEntry
{
public:
    enum class State { Idle, Connecting, Connected, Listening, Failed };

    struct Registration
    {
        QPointer<QObject> window;
        unsigned message = 0;
        long mask = 0;
        quint64 id = 0;
    };

    SocketEntry(SOCKET handle, int fd, State state);
    ~SocketEntry();
    SocketEntry(const SocketEntry &) = delete;
    SocketEntry &operator=(const SocketEntry &) = delete;

    int fd() const { return fd_; }
    State state() const { return state_; }
    bool isBound() const { return bound_; }
    bool isNonBlocking() const { return nonBlocking_; }
    const Registration &registration() const { return registration_; }

    void setBound() { bound_ = true; }
    void setNonBlocking() { nonBlocking_ = true; }
    void setRegistration(const Registration &registration);
    void setState(State state);

    // The outcome of a connect that ended at once on a non-blocking socket; 0 for success.
    void connectEnded(int error);
    // recv re-arms FD_READ; a hard error is kept for the FD_CLOSE that follows.
    void receiveCalled(int error);
    void acceptCalled();
    // A send took fewer bytes than asked: FD_WRITE follows when there is room again.
    void sendBlocked();

private:
    void onReadable();
    void onWritable();
    void post(long event, int error);
    void updateNotifiers();

    SOCKET handle_;
    int fd_;
    State state_;
    bool bound_ = false;
    bool nonBlocking_ = false;
    bool readPending_ = false;
    bool acceptPending_ = false;
    bool closeReported_ = false;
    bool writePending_ = false;
    int brokenError_ = 0;
    Registration registration_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
};

} // namespace winsock
