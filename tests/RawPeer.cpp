// Kept apart from the tests: the system's socket headers clash with the sockets layer's names.
#include "MatchSupport.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

::sockaddr_in loopback(std::uint16_t port)
{
    ::sockaddr_in address{};
    address.sin_family = PF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

bool RawPeer::connectTo(std::uint16_t port)
{
    m_fd = ::socket(PF_INET, SOCK_STREAM, 0);
    ::sockaddr_in address = loopback(port);
    const bool connected =
        ::connect(m_fd, reinterpret_cast<::sockaddr *>(&address), sizeof address) == 0;
    ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
    return connected;
}

std::uint16_t RawPeer::listen()
{
    m_listener = ::socket(PF_INET, SOCK_STREAM, 0);
    ::sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    ::bind(m_listener, reinterpret_cast<::sockaddr *>(&address), length);
    ::listen(m_listener, 1);
    ::fcntl(m_listener, F_SETFL, O_NONBLOCK);
    ::getsockname(m_listener, reinterpret_cast<::sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

bool RawPeer::acceptOne()
{
    const bool accepted = QTest::qWaitFor(
        [&] { return (m_fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0; },
        NetTimeout);
    ::close(m_listener);
    m_listener = -1;
    return accepted;
}

void RawPeer::send(const QByteArray &bytes)
{
    for (qsizetype sent = 0; sent < bytes.size(); QCoreApplication::processEvents())
        sent += qMax(ssize_t(0), ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent),
                                        MSG_NOSIGNAL));
}

qsizetype RawPeer::readSome()
{
    char buffer[4096];
    const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0)
        return -1;
    if (n > 0)
        received.append(buffer, n);
    return received.size();
}

void RawPeer::reset()
{
    const ::linger abort = {1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close();
}

void RawPeer::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_listener >= 0)
        ::close(m_listener);
    m_fd = m_listener = -1;
}
