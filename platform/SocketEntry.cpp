#include "SocketEntry.h"
#include "SocketTable.h"
#include "WinSockPrivate.h"

#include <QSocketNotifier>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace winsock {

SocketEntry::SocketEntry(SOCKET handle, int fd, State state)
    : handle_(handle), fd_(fd), state_(state)
{}

SocketEntry::~SocketEntry()
{
    // The event loop must not watch a descriptor that is gone or reused.
    readNotifier_.reset();
    writeNotifier_.reset();
    if (state_ == State::Connected) {
        // Unread data would make close() reset the connection and lose what is still on its
        // way to the peer; reading it off keeps the close graceful.
        char scratch[4096];
        for (int i = 0; i < 256; ++i) {
            if (::recv(fd_, scratch, sizeof scratch, MSG_DONTWAIT) <= 0)
                break;
        }
    }
    ::close(fd_);
}

void SocketEntry::setRegistration(const Registration &registration)
{
    registration_ = registration;
    // A new registration reports the present state afresh, as on Windows.
    readPending_ = false;
    acceptPending_ = false;
    closeReported_ = false;
    if (registration_.mask != 0 && !readNotifier_) {
        readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        readNotifier_->setEnabled(false);
        QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, readNotifier_.get(),
                         [this] { onReadable(); });
        writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
        writeNotifier_->setEnabled(false);
        QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, writeNotifier_.get(),
                         [this] { onWritable(); });
    }
    updateNotifiers();
}

void SocketEntry::setState(State state)
{
    state_ = state;
    updateNotifiers();
}

void SocketEntry::connectEnded(int error)
{
    state_ = error == 0 ? State::Connected : State::Failed;
    post(FD_CONNECT, error);
    updateNotifiers();
}

void SocketEntry::receiveCalled(int error)
{
    if (error != 0 && error != WSAEWOULDBLOCK && error != WSAEINTR)
        brokenError_ = error;
    readPending_ = false;
    updateNotifiers();
}

void SocketEntry::acceptCalled()
{
    acceptPending_ = false;
    updateNotifiers();
}

void SocketEntry::sendBlocked()
{
    writePending_ = true;
    updateNotifiers();
}

void SocketEntry::onReadable()
{
    readNotifier_->setEnabled(false);
    if (state_ == State::Listening) {
        acceptPending_ = true;
        post(FD_ACCEPT, 0);
        return;
    }
    if (state_ != State::Connected)
        return;
    char byte;
    const ssize_t n = ::recv(fd_, &byte, 1, ::MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        readPending_ = true;
        post(FD_READ, 0);
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        updateNotifiers(); // nothing there after all: keep watching
        return;
    }
    // Only end of stream or a broken connection gets here.
    closeReported_ = true;
    post(FD_CLOSE, n == 0 ? brokenError_ : detail::errorFromErrno(errno));
}

void SocketEntry::onWritable()
{
    writeNotifier_->setEnabled(false);
    if (state_ == State::Connecting) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        connectEnded(error == 0 ? 0 : detail::errorFromErrno(error));
        return;
    }
    if (writePending_) {
        writePending_ = false;
        post(FD_WRITE, 0);
    }
    updateNotifiers();
}

void SocketEntry::post(long event, int error)
{
    // FD_WRITE is sent to every registration: the program's masks leave it out.
    if (registration_.mask == 0 || (event != FD_WRITE && (registration_.mask & event) == 0))
        return;
    SocketTable::instance().post(new SocketMessage(handle_, registration_.message,
                                                   (long(error) << 16) | event, registration_.id));
}

void SocketEntry::updateNotifiers()
{
    if (!readNotifier_)
        return;
    const bool registered = registration_.mask != 0;
    const bool connected = state_ == State::Connected;
    const bool read = (state_ == State::Listening && !acceptPending_) ||
                      (connected && !readPending_ && !closeReported_);
    const bool write = state_ == State::Connecting || (connected && writePending_);
    readNotifier_->setEnabled(registered && read);
    writeNotifier_->setEnabled(registered && write);
}

} // namespace winsock
