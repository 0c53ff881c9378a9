// Kept apart from the tests: the system's socket headers clash with the sockets layer's names.
#include "MatchSupport.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int loopbackSocket(std::uint16_t port, bool listening)
{
    const int fd = ::socket(PF_INET, SOCK_STREAM, 0);
    ::sockaddr_in address{PF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    const auto *where = reinterpret_cast<::sockaddr *>(&address);
    const bool done = listening ? ::bind(fd, where, sizeof address) == 0 && ::listen(fd, 1) == 0
                                : ::connect(fd, where, sizeof address) == 0;
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    if (!done)
        ::close(fd);
    return done ? fd : -1;
}

} // namespace

bool RawPeer::connectTo(std::uint16_t port)
{
    return (m_fd = loopbackSocket(port, false)) >= 0;
}

std::uint16_t RawPeer::listen(std::uint16_t port)
{
    m_listener = loopbackSocket(port, true);
    ::sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(m_listener, reinterpret_cast<::sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

bool RawPeer::acceptOne()
{
    return QTest::qWaitFor(
        [&] { return (m_fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0; },
        NetTimeout);
}

void RawPeer::send(const QByteArray &bytes)
{
    for (qsizetype sent = 0; sent < bytes.size(); QCoreApplication::processEvents()) {
        const size_t left = size_t(bytes.size() - sent);
        sent += qMax(ssize_t(0), ::send(m_fd, bytes.constData() + sent, left, MSG_NOSIGNAL));
    }
}

ssize_t RawPeer::readWaiting()
{
    char buffer[4096];
    const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
    received.append(buffer, qMax(ssize_t(0), n));
    return n;
}

bool RawPeer::receive(qsizetype count)
{
    return QTest::qWaitFor(
        [&] {
            readWaiting();
            return received.size() >= count;
        },
        NetTimeout);
}

bool RawPeer::waitClosed(int timeout)
{
    return QTest::qWaitFor(
        [&] {
            const ssize_t n = readWaiting();
            return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
        },
        timeout);
}

void RawPeer::close(bool reset)
{
    const ::linger abort = {1, 0};
    if (reset)
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    for (int *fd : {&m_fd, &m_listener}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}
