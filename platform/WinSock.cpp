#include "WinSock.h"
#include "SocketTable.h"
#include "WinSockPrivate.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

// The POSIX calls are written with `::`; unqualified names here are the layer's own.
namespace winsock {

using detail::errorFromErrno;
using detail::mayCall;
using detail::setLastError;

namespace {

// The entry of socket s, once the call may be made; null with the error set otherwise.
SocketEntry *enter(const char *call, SOCKET s)
{
    if (!mayCall(call))
        return nullptr;
    SocketEntry *entry = SocketTable::instance().find(s);
    if (!entry)
        setLastError(WSAENOTSOCK);
    return entry;
}

int fail(int code)
{
    setLastError(code);
    return SOCKET_ERROR;
}

int failFromErrno()
{
    return fail(errorFromErrno(errno));
}

// Checks an address argument; 0 when it can be used.
int addressError(const sockaddr_in *address, int length)
{
    if (!address || length < int(sizeof(sockaddr_in)))
        return WSAEFAULT;
    if (address->sin_family != AF_INET)
        return WSAEAFNOSUPPORT;
    return 0;
}

// Each packet leaves in one send and is small: it must not wait for the acknowledgement of the
// one before, which the peer may hold back for tens of milliseconds.
void sendAtOnce(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

::sockaddr_in toPosix(const sockaddr_in &address)
{
    ::sockaddr_in result{};
    result.sin_family = ::sa_family_t(AF_INET);
    result.sin_port = address.sin_port;
    result.sin_addr.s_addr = address.sin_addr.s_addr;
    return result;
}

sockaddr_in fromPosix(const ::sockaddr_in &address)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = address.sin_port;
    result.sin_addr.s_addr = address.sin_addr.s_addr;
    return result;
}

// Errors that Windows reports through FD_CONNECT rather than from connect itself.
bool failsLater(int error)
{
    return error == ECONNREFUSED || error == ETIMEDOUT || error == ENETUNREACH ||
           error == EHOSTUNREACH;
}

} // namespace

bool detail::mayCall(const char *call)
{
    SocketTable &table = SocketTable::instance();
    if (!table.started()) {
        setLastError(WSANOTINITIALISED);
        return false;
    }
    if (const int error = table.takeFailure(call)) {
        setLastError(error);
        return false;
    }
    return true;
}

void WSAFailNext(const char *call, int error)
{
    if (call)
        SocketTable::instance().failNext(call, error);
}

void WSAClearFailures()
{
    SocketTable::instance().clearFailures();
}

int WSAStartup(unsigned short version, WSADATA *data)
{
    SocketTable &table = SocketTable::instance();
    if (const int error = table.takeFailure("WSAStartup"))
        return error;
    if (!data)
        return WSAEFAULT;
    const int major = version & 0xff;
    const int minor = version >> 8;
    if (major < 1)
        return WSAVERNOTSUPPORTED;
    *data = {};
    data->wVersion = major == 1 && minor == 0 ? 0x0001 : 0x0101;
    data->wHighVersion = 0x0101;
    std::strcpy(data->szDescription, "Sockets 1.1 over POSIX");
    std::strcpy(data->szSystemStatus, "Running");
    data->iMaxSockets = 32767;
    data->iMaxUdpDg = 65467;
    table.start();
    return 0;
}

int WSACleanup()
{
    if (!mayCall("WSACleanup"))
        return SOCKET_ERROR;
    SocketTable::instance().stop();
    return 0;
}

int WSAAsyncSelect(SOCKET s, QObject *window, unsigned message, long mask)
{
    SocketEntry *entry = enter("WSAAsyncSelect", s);
    if (!entry)
        return SOCKET_ERROR;
    // Notifiers and posted events need the application's event loop on this thread.
    const QCoreApplication *app = QCoreApplication::instance();
    if (mask != 0 && (!window || !app || app->thread() != QThread::currentThread()))
        return fail(WSAEINVAL);
    const int flags = ::fcntl(entry->fd(), F_GETFL);
    if (flags < 0 || ::fcntl(entry->fd(), F_SETFL, flags | O_NONBLOCK) < 0)
        return failFromErrno();
    entry->setNonBlocking();
    SocketTable &table = SocketTable::instance();
    entry->setRegistration({window, message, mask, table.nextRegistration()});
    return 0;
}

SOCKET socket(int af, int type, int protocol)
{
    if (!mayCall("socket"))
        return INVALID_SOCKET;
    if (af != AF_INET)
        return fail(WSAEAFNOSUPPORT);
    if (type != SOCK_STREAM)
        return fail(WSAESOCKTNOSUPPORT);
    if (protocol != 0 && protocol != IPPROTO_TCP)
        return fail(WSAEPROTONOSUPPORT);
    const int fd = ::socket(PF_INET, ::SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        return failFromErrno();
    sendAtOnce(fd);
    const SOCKET handle = SocketTable::instance().add(fd, SocketEntry::State::Idle);
    if (handle == INVALID_SOCKET) {
        ::close(fd);
        return fail(WSAEMFILE);
    }
    return handle;
}

int bind(SOCKET s, const sockaddr_in *address, int length)
{
    SocketEntry *entry = enter("bind", s);
    if (!entry)
        return SOCKET_ERROR;
    if (const int error = addressError(address, length))
        return fail(error);
    if (entry->isBound() || entry->state() != SocketEntry::State::Idle)
        return fail(WSAEINVAL);
    // Lets a port be listened on again while old connections on it linger in TIME_WAIT, as
    // Windows does; a port that another socket listens on is still refused.
    const int on = 1;
    ::setsockopt(entry->fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const ::sockaddr_in posix = toPosix(*address);
    if (::bind(entry->fd(), reinterpret_cast<const ::sockaddr *>(&posix), sizeof posix) != 0)
        return failFromErrno();
    entry->setBound();
    return 0;
}

int listen(SOCKET s, int backlog)
{
    SocketEntry *entry = enter("listen", s);
    if (!entry)
        return SOCKET_ERROR;
    if (entry->state() == SocketEntry::State::Connected)
        return fail(WSAEISCONN);
    // Linux would bind an unbound socket to some port; Windows refuses.
    if (!entry->isBound() || entry->state() == SocketEntry::State::Connecting)
        return fail(WSAEINVAL);
    if (::listen(entry->fd(), std::clamp(backlog, 1, SOMAXCONN)) != 0)
        return failFromErrno();
    entry->setState(SocketEntry::State::Listening);
    return 0;
}

SOCKET accept(SOCKET s, sockaddr_in *address, int *length)
{
    SocketEntry *listener = enter("accept", s);
    if (!listener) {
        // Even a failed call re-enables FD_ACCEPT, as on Windows.
        if (SocketEntry *entry = SocketTable::instance().find(s))
            entry->acceptCalled();
        return INVALID_SOCKET;
    }
    if (listener->state() != SocketEntry::State::Listening)
        return fail(WSAEINVAL);
    if (address && (!length || *length < int(sizeof(sockaddr_in))))
        return fail(WSAEFAULT);
    ::sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    const int flags = SOCK_CLOEXEC | (listener->isNonBlocking() ? SOCK_NONBLOCK : 0);
    const int fd =
        ::accept4(listener->fd(), reinterpret_cast<::sockaddr *>(&peer), &peerLength, flags);
    const int error = errno;
    listener->acceptCalled();
    if (fd < 0)
        return fail(errorFromErrno(error));
    // TCP_NODELAY comes with the listening socket.
    SocketTable &table = SocketTable::instance();
    const SOCKET handle = table.add(fd, SocketEntry::State::Connected);
    if (handle == INVALID_SOCKET) {
        ::close(fd);
        return fail(WSAEMFILE);
    }
    SocketEntry *entry = table.find(handle);
    if (listener->isNonBlocking())
        entry->setNonBlocking();
    // The accepted socket is watched like its listener, under a registration of its own.
    SocketEntry::Registration registration = listener->registration();
    registration.id = table.nextRegistration();
    entry->setRegistration(registration);
    if (address) {
        *address = fromPosix(peer);
        *length = sizeof(sockaddr_in);
    }
    return handle;
}

int connect(SOCKET s, const sockaddr_in *address, int length)
{
    SocketEntry *entry = enter("connect", s);
    if (!entry)
        return SOCKET_ERROR;
    if (const int error = addressError(address, length))
        return fail(error);
    switch (entry->state()) {
    case SocketEntry::State::Connected:
        return fail(WSAEISCONN);
    case SocketEntry::State::Connecting:
        return fail(WSAEALREADY);
    case SocketEntry::State::Listening:
        return fail(WSAEINVAL);
    default:
        break;
    }
    // Linux would take the any-address for this host; Windows refuses it.
    if (address->sin_addr.s_addr == 0 || address->sin_port == 0)
        return fail(WSAEADDRNOTAVAIL);
    const ::sockaddr_in posix = toPosix(*address);
    if (::connect(entry->fd(), reinterpret_cast<const ::sockaddr *>(&posix), sizeof posix) == 0) {
        if (entry->isNonBlocking())
            entry->connectEnded(0);
        else
            entry->setState(SocketEntry::State::Connected);
        return 0;
    }
    const int error = errno;
    if (entry->isNonBlocking() && error == EINPROGRESS) {
        entry->setState(SocketEntry::State::Connecting);
        return fail(WSAEWOULDBLOCK);
    }
    if (entry->isNonBlocking() && failsLater(error)) {
        entry->connectEnded(errorFromErrno(error));
        return fail(WSAEWOULDBLOCK);
    }
    return fail(errorFromErrno(error));
}

int closesocket(SOCKET s)
{
    if (!mayCall("closesocket"))
        return SOCKET_ERROR;
    if (!SocketTable::instance().remove(s))
        return fail(WSAENOTSOCK);
    return 0;
}

int send(SOCKET s, const char *buffer, int length, int flags)
{
    SocketEntry *entry = enter("send", s);
    if (!entry)
        return SOCKET_ERROR;
    if (length < 0 || (!buffer && length > 0))
        return fail(WSAEFAULT);
    if (flags != 0)
        return fail(WSAEOPNOTSUPP);
    if (entry->state() != SocketEntry::State::Connected)
        return fail(WSAENOTCONN);
    const ssize_t n = ::send(entry->fd(), buffer, size_t(length), MSG_NOSIGNAL);
    const int error = errno;
    if ((n < 0 && error == EAGAIN) || (n >= 0 && n < length))
        entry->sendBlocked();
    if (n < 0)
        return fail(errorFromErrno(error));
    return int(n);
}

int recv(SOCKET s, char *buffer, int length, int flags)
{
    SocketEntry *entry = enter("recv", s);
    if (!entry)
        return SOCKET_ERROR;
    if (length < 0 || (!buffer && length > 0))
        return fail(WSAEFAULT);
    if ((flags & ~MSG_PEEK) != 0)
        return fail(WSAEOPNOTSUPP);
    if (entry->state() != SocketEntry::State::Connected)
        return fail(WSAENOTCONN);
    const int posixFlags = (flags & MSG_PEEK) ? int(::MSG_PEEK) : 0;
    const ssize_t n = ::recv(entry->fd(), buffer, size_t(length), posixFlags);
    const int error = n < 0 ? errorFromErrno(errno) : 0;
    entry->receiveCalled(error);
    if (n < 0)
        return fail(error);
    return int(n);
}

int getsockname(SOCKET s, sockaddr_in *address, int *length)
{
    SocketEntry *entry = enter("getsockname", s);
    if (!entry)
        return SOCKET_ERROR;
    if (!address || !length || *length < int(sizeof(sockaddr_in)))
        return fail(WSAEFAULT);
    if (!entry->isBound() && entry->state() == SocketEntry::State::Idle)
        return fail(WSAEINVAL);
    ::sockaddr_in own{};
    socklen_t ownLength = sizeof own;
    if (::getsockname(entry->fd(), reinterpret_cast<::sockaddr *>(&own), &ownLength) != 0)
        return failFromErrno();
    *address = fromPosix(own);
    *length = sizeof(sockaddr_in);
    return 0;
}

} // namespace winsock
